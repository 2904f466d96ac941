#pragma once
// The hidden "Attribute Name.VB_... = ..." lines of a member, kept with the
// member, and their meaning as the member's settable attributes.

#include <string>
#include <string_view>
#include <vector>

#include "host/code_host.h"

namespace qv::host::memory {

// The anchor of an attribute line that stood under a statement of the
// declarations section (a variable, an event, a Declare, a constant).
inline constexpr int kStatementAnchor = 4;

struct HiddenAttribute {
    // The procedure kind whose declaration it stood under, or kStatementAnchor.
    int anchorKind = 0;
    std::string text;  // the whole line, as read
    // Which declaration of the member it stood under, from 0: an item or a
    // procedure declared in each branch of an #If has one per branch.
    int occurrence = 0;

    bool operator==(const HiddenAttribute&) const = default;
};

// The member name an attribute line belongs to ("" when it is not one).
std::string AttributeMemberName(std::string_view line);

MemberAttributes ParseMemberAttributes(const std::vector<HiddenAttribute>& lines);

// Rewrites the lines so that they state the given attributes; lines the
// attributes do not cover stay as they were.
std::vector<HiddenAttribute> WithMemberAttributes(const std::vector<HiddenAttribute>& lines,
                                                  std::string_view memberName, bool isVariable,
                                                  int anchorKind, const MemberAttributes& wanted);

}  // namespace qv::host::memory
