#pragma once
// What a rewritten file keeps of the file it replaces. A rewrite writes a
// new file beside the old one and renames it into place, so the new file
// must get from the old one its owner and group, its permission bits, its
// POSIX access control list and its other extended attributes, exactly; or
// the rewrite is refused with the reason. A file never silently changes
// hands, and never opens up to more people than before.
//
//     if (std::string problem = file::KeepAttributes(path, temp); !problem.empty()) refuse...

#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace qv::file {

// Gives replacement (a file this process made) everything above that
// original has, then checks that it holds. "" when it does; otherwise why
// not, in words for the user: "the file belongs to user ann (uid 4321), and
// a rewritten file would belong to you (uid 1000)". Attributes this process
// cannot see (trusted.* for others than the superuser) cannot be kept.
std::string KeepAttributes(const std::string& original, const std::string& replacement);
#ifndef _WIN32
// The same for a replacement still open (a descriptor that may write it):
// it is not opened again.
std::string KeepAttributes(const std::string& original, int replacement);
// The same with the original as the caller examined it already (stat):
// it is not examined again.
std::string KeepAttributes(const std::string& original, const struct stat& before,
                           int replacement);
#endif

}  // namespace qv::file
