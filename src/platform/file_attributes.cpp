#include "platform/file_attributes.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "platform/descriptor.h"

namespace qv::file {

namespace {

using Attributes = std::map<std::string, std::string>;

std::string UserName(uid_t uid) {
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    const std::string number = "uid " + std::to_string(uid);
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return number;
    }
    return std::string(found->pw_name) + " (" + number + ")";
}

std::string GroupName(gid_t gid) {
    std::vector<char> buffer(16384);
    struct group entry {};
    struct group* found = nullptr;
    const std::string number = "gid " + std::to_string(gid);
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return number;
    }
    return std::string(found->gr_name) + " (" + number + ")";
}

std::string Octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

// The names in a list of extended attributes (each ended by a NUL).
std::vector<std::string> Names(const std::vector<char>& list) {
    std::vector<std::string> names;
    for (size_t at = 0; at < list.size();) {
        const std::string name(list.data() + at);
        at += name.size() + 1;
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

// Every extended attribute (the access list among them) that this process
// can see; false (errno set) when they cannot be read. A file system
// without extended attributes has none.
template <typename List, typename Get>
bool ReadAttributes(Attributes& attributes, List list, Get get) {
    attributes.clear();
    std::vector<char> names;
    for (int tries = 0; tries < 8; ++tries) {
        const ssize_t size = list(nullptr, 0);
        if (size < 0) return errno == ENOTSUP;
        if (size == 0) return true;  // none (the common case): no second call
        names.resize(static_cast<size_t>(size));
        const ssize_t got = list(names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<size_t>(got));
            break;
        }
        if (errno != ERANGE) return false;  // grew in between: ask again
    }
    for (const std::string& name : Names(names)) {
        std::string value;
        for (int tries = 0; tries < 8; ++tries) {
            const ssize_t size = get(name.c_str(), nullptr, 0);
            if (size < 0) {
                if (errno == ENODATA) break;  // removed in between
                return false;
            }
            value.resize(static_cast<size_t>(size));
            const ssize_t got = get(name.c_str(), value.data(), value.size());
            if (got >= 0) {
                value.resize(static_cast<size_t>(got));
                attributes[name] = value;
                break;
            }
            if (errno != ERANGE) return false;
        }
    }
    return true;
}

bool ReadAttributesOf(const std::string& path, Attributes& attributes) {
    return ReadAttributes(
        attributes,
        [&](char* list, size_t size) { return ::listxattr(path.c_str(), list, size); },
        [&](const char* name, void* value, size_t size) {
            return ::getxattr(path.c_str(), name, value, size);
        });
}

bool ReadAttributesOf(int fd, Attributes& attributes) {
    return ReadAttributes(
        attributes, [&](char* list, size_t size) { return ::flistxattr(fd, list, size); },
        [&](const char* name, void* value, size_t size) {
            return ::fgetxattr(fd, name, value, size);
        });
}

std::string Reason(int error) {
    return std::strerror(error);
}

std::string OwnerProblem(const struct stat& original, const struct stat& now, int error) {
    if (now.st_uid != original.st_uid) {
        return "the file belongs to " + UserName(original.st_uid) +
               ", and a rewritten file would belong to " + UserName(now.st_uid) + " (" +
               Reason(error) + "); only its owner may rewrite it";
    }
    return "the file's group is " + GroupName(original.st_gid) +
           ", and a rewritten file would have the group " + GroupName(now.st_gid) + " (" +
           Reason(error) + "); only a member of that group may rewrite it";
}

// The attributes of the replacement made the original's: each set that
// differs, each removed that the original lacks (a folder's default access
// list gives a new file one). "" when done; present: what the replacement
// had before.
std::string CopyAttributes(const Attributes& wanted, int fd, Attributes& present) {
    if (!ReadAttributesOf(fd, present)) {
        return "the new file's extended attributes cannot be read (" + Reason(errno) + ")";
    }
    for (const auto& [name, value] : present) {
        if (wanted.count(name) == 0 && ::fremovexattr(fd, name.c_str()) != 0 && errno != ENODATA) {
            return "the new file's extended attribute " + name + ", which the file lacks, cannot "
                   "be removed (" + Reason(errno) + ")";
        }
    }
    for (const auto& [name, value] : wanted) {
        const auto same = present.find(name);
        if (same != present.end() && same->second == value) continue;
        if (::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0) {
            return "the file's extended attribute " + name + " cannot be given to the new file (" +
                   Reason(errno) + ")";
        }
    }
    return {};
}

}  // namespace

std::string KeepAttributes(const std::string& original, const std::string& replacement) {
    const Descriptor fd(::open(replacement.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.Get() < 0) return "the new file cannot be opened (" + Reason(errno) + ")";
    return KeepAttributes(original, fd.Get());
}

std::string KeepAttributes(const std::string& original, int replacement) {
    struct stat before {};
    if (::stat(original.c_str(), &before) != 0) {
        return "the file cannot be examined (" + Reason(errno) + ")";
    }
    return KeepAttributes(original, before, replacement);
}

std::string KeepAttributes(const std::string& original, const struct stat& before,
                           int replacement) {
    Attributes wanted;
    if (!ReadAttributesOf(original, wanted)) {
        return "the file's extended attributes (its access list among them) cannot be read (" +
               Reason(errno) + "), so they could not be kept";
    }
    const int fd = replacement;
    struct stat now {};
    if (::fstat(fd, &now) != 0) {
        return "the new file cannot be opened (" + Reason(errno) + ")";
    }
    // The owner first: changing it clears the set-group-ID bit, which the
    // mode then puts back.
    if ((now.st_uid != before.st_uid || now.st_gid != before.st_gid) &&
        ::fchown(fd, before.st_uid, before.st_gid) != 0) {
        return OwnerProblem(before, now, errno);
    }
    // Then the access list and the other attributes, and the mode last:
    // setting an access list sets the group bits, which the mode then gives
    // back as the list's mask, as the original has it.
    Attributes present;
    if (std::string problem = CopyAttributes(wanted, fd, present); !problem.empty()) {
        return problem;
    }
    if (::fchmod(fd, before.st_mode & 07777) != 0) {
        return "the new file cannot be given the mode " + Octal(before.st_mode) + " (" +
               Reason(errno) + ")";
    }
    // What the new file holds now, checked rather than trusted. Where
    // neither file had an extended attribute, none was set or removed, and
    // a mode given to a file without an access list makes none: the
    // attributes are not read again (the usual case, once per file written).
    Attributes kept;
    const bool attributesUntouched = wanted.empty() && present.empty();
    if (::fstat(fd, &now) != 0 || (!attributesUntouched && !ReadAttributesOf(fd, kept))) {
        return "the new file cannot be examined (" + Reason(errno) + ")";
    }
    if (now.st_uid != before.st_uid || now.st_gid != before.st_gid) {
        return OwnerProblem(before, now, EPERM);
    }
    if ((now.st_mode & 07777) != (before.st_mode & 07777)) {
        return "the new file's mode would be " + Octal(now.st_mode) + " where the file's is " +
               Octal(before.st_mode);
    }
    if (!attributesUntouched && kept != wanted) {
        return "the file's access list and extended attributes could not be kept exactly";
    }
    return {};
}

}  // namespace qv::file
