#pragma once

// Makes a folder read-only for the running test, also when the test runs as
// root: root passes permission checks through CAP_DAC_OVERRIDE, which is taken
// out of the calling thread's effective set while the guard lives (and put
// back after). Everything the code under test writes runs on this thread.

#include <QFile>
#include <QString>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder) : m_folder(folder) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                          QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        if (geteuid() == 0 && capget(&m_header, m_saved) == 0) {
            __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
            reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
            m_dropped = capset(&m_header, reduced) == 0;
        }
    }
    ~ReadOnlyFolder() {
        if (m_dropped) {
            capset(&m_header, m_saved);
        }
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // False when the folder is still writable (root that kept its override).
    bool effective() const { return geteuid() != 0 || m_dropped; }

private:
    static int capget(__user_cap_header_struct* h, __user_cap_data_struct* d) {
        return static_cast<int>(syscall(SYS_capget, h, d));
    }
    static int capset(__user_cap_header_struct* h, const __user_cap_data_struct* d) {
        return static_cast<int>(syscall(SYS_capset, h, d));
    }

    QString m_folder;
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] = {};
    bool m_dropped = false;
};
