#pragma once

#include <QString>

namespace Screenshots {

// Where a screenshot called `fileName` goes: the e2e folder of the build tree, created on demand.
QString path(const QString& fileName);

} // namespace Screenshots
