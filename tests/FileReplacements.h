#pragma once

// Counts how often a file is replaced, as the kernel reports it: every rename or link onto its
// name.

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

namespace corvel::test {

class FileReplacements {
public:
    /// Watches `folder` for renames onto `name` from now on.
    FileReplacements(const std::string& folder, std::string name) : name_(std::move(name)) {
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ >= 0)
            // Creations are watched too: they part the renames, which the kernel would otherwise
            // merge into one event when they follow each other.
            ::inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO | IN_CREATE);
    }
    ~FileReplacements() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileReplacements(const FileReplacements&) = delete;
    FileReplacements& operator=(const FileReplacements&) = delete;

    bool watching() const { return fd_ >= 0; }

    /// The renames and links onto the name (and creations under it) seen so far.
    int count() {
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            const ssize_t size = ::read(fd_, buffer, sizeof buffer);
            if (size <= 0)
                break;
            for (ssize_t at = 0; at < size;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if ((event->mask & (IN_MOVED_TO | IN_CREATE)) && event->len > 0 &&
                    name_ == event->name)
                    ++count_;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return count_;
    }

private:
    std::string name_;
    int fd_ = -1;
    int count_ = 0;
};

} // namespace corvel::test
