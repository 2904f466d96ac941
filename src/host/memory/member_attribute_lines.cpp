#include "host/memory/member_attribute_lines.h"

#include <cstdio>
#include <cstdlib>

#include "host/memory/vb_syntax.h"
#include "platform/text.h"

namespace qv::host::memory {

namespace {

constexpr long kBindable = 0x4, kRequestEdit = 0x8, kDisplayBind = 0x10, kDefaultBind = 0x20,
               kHidden = 0x40, kNonBrowsable = 0x400;
constexpr short kTrue = -1;

struct Parsed {
    std::string key;    // "VB_Description", with "Var" taken out ("VB_Description")
    std::string value;  // unquoted
};

// "Attribute X.VB_VarDescription = "text"" -> {VB_Description, text}.
bool ParseLine(std::string_view line, Parsed& out) {
    std::string_view s = SkipBlanks(line);
    if (!text::StartsWithIgnoreCase(s, "Attribute ")) return false;
    s = SkipBlanks(s.substr(10));
    const size_t dot = s.find('.');
    const size_t eq = s.find('=');
    if (dot == std::string_view::npos || eq == std::string_view::npos || dot > eq) return false;
    std::string key(text::Trim(s.substr(dot + 1, eq - dot - 1)));
    if (text::StartsWith(key, "VB_Var")) key = "VB_" + key.substr(6);
    std::string_view value = text::Trim(s.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    out.key = key;
    out.value = std::string(value);
    return true;
}

bool IsCovered(std::string_view key) {
    return key == "VB_Description" || key == "VB_HelpID" || key == "VB_UserMemId" ||
           key == "VB_MemberFlags" || text::StartsWith(key, "VB_ProcData.VB_Invoke_Property");
}

short Flag(long flags, long bit) { return (flags & bit) != 0 ? kTrue : 0; }

}  // namespace

std::string AttributeMemberName(std::string_view line) {
    std::string_view s = SkipBlanks(line);
    if (!text::StartsWithIgnoreCase(s, "Attribute ")) return {};
    s = SkipBlanks(s.substr(10));
    const size_t dot = s.find('.');
    const size_t eq = s.find('=');
    if (dot == std::string_view::npos || (eq != std::string_view::npos && dot > eq)) return {};
    return std::string(text::Trim(s.substr(0, dot)));
}

MemberAttributes ParseMemberAttributes(const std::vector<HiddenAttribute>& lines) {
    MemberAttributes a;
    a.Browsable = kTrue;
    for (const HiddenAttribute& line : lines) {
        Parsed p;
        if (!ParseLine(line.text, p)) continue;
        if (p.key == "VB_Description") {
            a.Description = p.value;
        } else if (p.key == "VB_HelpID") {
            a.HelpContextID = std::strtol(p.value.c_str(), nullptr, 10);
        } else if (p.key == "VB_UserMemId") {
            a.StandardMethod = static_cast<short>(std::strtol(p.value.c_str(), nullptr, 10));
        } else if (p.key == "VB_MemberFlags") {
            const long flags = std::strtol(p.value.c_str(), nullptr, 16);
            a.Bindable = Flag(flags, kBindable);
            a.RequestEdit = Flag(flags, kRequestEdit);
            a.DisplayBind = Flag(flags, kDisplayBind);
            a.DefaultBind = Flag(flags, kDefaultBind);
            a.Hidden = Flag(flags, kHidden);
            a.Browsable = (flags & kNonBrowsable) != 0 ? 0 : kTrue;
        } else if (text::StartsWith(p.key, "VB_ProcData.VB_Invoke_Property")) {
            const size_t semi = p.value.find(';');
            a.PropertyPage = p.value.substr(0, semi);
            if (semi != std::string::npos) a.Category = p.value.substr(semi + 1);
        }
    }
    return a;
}

std::vector<HiddenAttribute> WithMemberAttributes(const std::vector<HiddenAttribute>& lines,
                                                  std::string_view memberName, bool isVariable,
                                                  int anchorKind, const MemberAttributes& wanted) {
    if (ParseMemberAttributes(lines) == wanted) return lines;
    std::vector<HiddenAttribute> out;
    for (const HiddenAttribute& line : lines) {
        Parsed p;
        if (!ParseLine(line.text, p) || !IsCovered(p.key)) out.push_back(line);
    }
    const std::string head =
        "Attribute " + std::string(memberName) + (isVariable ? ".VB_Var" : ".VB_");
    auto add = [&](std::string_view key, const std::string& value) {
        out.push_back({anchorKind, head + std::string(key) + " = " + value});
    };
    if (!wanted.Description.empty()) add("Description", "\"" + wanted.Description + "\"");
    if (wanted.HelpContextID != 0) add("HelpID", std::to_string(wanted.HelpContextID));
    if (wanted.StandardMethod != 0) add("UserMemId", std::to_string(wanted.StandardMethod));
    if (!wanted.PropertyPage.empty() || !wanted.Category.empty()) {
        const std::string value = wanted.Category.empty()
                                      ? wanted.PropertyPage
                                      : wanted.PropertyPage + ";" + wanted.Category;
        add("ProcData.VB_Invoke_Property", "\"" + value + "\"");
    }
    long flags = 0;
    if (wanted.Bindable != 0) flags |= kBindable;
    if (wanted.RequestEdit != 0) flags |= kRequestEdit;
    if (wanted.DisplayBind != 0) flags |= kDisplayBind;
    if (wanted.DefaultBind != 0) flags |= kDefaultBind;
    if (wanted.Hidden != 0) flags |= kHidden;
    if (wanted.Browsable == 0) flags |= kNonBrowsable;
    if (flags != 0) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%lx", flags);
        add("MemberFlags", "\"" + std::string(hex) + "\"");
    }
    return out;
}

}  // namespace qv::host::memory
