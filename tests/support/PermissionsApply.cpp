#include "PermissionsApply.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr unsigned kOverrides =
    (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER) | (1u << CAP_LINUX_IMMUTABLE);

bool getCaps(__user_cap_data_struct* data)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool setCaps(__user_cap_data_struct* data)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

PermissionsApply::PermissionsApply()
{
    if (geteuid() != 0)
        return;
    __user_cap_data_struct data[2] = {};
    m_ok = getCaps(data);
    if (!m_ok)
        return;
    m_saved[0] = data[0].effective;
    m_saved[1] = data[1].effective;
    data[0].effective &= ~kOverrides;
    m_ok = m_dropped = setCaps(data);
}

PermissionsApply::~PermissionsApply()
{
    if (!m_dropped)
        return;
    __user_cap_data_struct data[2] = {};
    if (!getCaps(data))
        return;
    data[0].effective = m_saved[0];
    data[1].effective = m_saved[1];
    setCaps(data);
}

#else

PermissionsApply::PermissionsApply() = default;
PermissionsApply::~PermissionsApply() = default;

#endif
