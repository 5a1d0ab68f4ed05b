#pragma once

// While alive, file permissions apply to this thread even when the tests run as root: the
// capabilities that let root ignore them are dropped from its effective set and given back at the
// end. Tests of unwritable folders use it; without it root writes anywhere.
class PermissionsApply
{
public:
    PermissionsApply();
    ~PermissionsApply();
    PermissionsApply(const PermissionsApply&) = delete;
    PermissionsApply& operator=(const PermissionsApply&) = delete;

    // False when the capabilities could not be dropped; the test should skip.
    bool ok() const { return m_ok; }

private:
    bool m_ok = true;
    bool m_dropped = false;
    unsigned m_saved[2] = {0, 0};
};
