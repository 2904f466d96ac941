#include "tidy/comment_stamp.h"

#include "platform/services.h"
#include "platform/text.h"

namespace qv::tidy {

std::string CommentStamp(std::string_view commentText, std::time_t now) {
    Services& services = GetServices();
    std::string stamp(commentText);
    if (stamp.find("%t") != std::string::npos) {
        stamp = text::ReplaceAll(stamp, "%t", services.FormatGeneralDate(now, true));
    }
    if (stamp.find("%d") != std::string::npos) {
        stamp = text::ReplaceAll(stamp, "%d", services.FormatGeneralDate(now, false));
    }
    if (stamp.find("%u") != std::string::npos) {
        stamp = text::ReplaceAll(stamp, "%u", services.UserName());
    }
    return stamp;
}

}  // namespace qv::tidy
