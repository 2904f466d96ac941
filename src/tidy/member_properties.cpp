#include "tidy/member_properties.h"

#include "host/host_constants.h"
#include "platform/vb_error.h"

namespace qv::tidy {

namespace {

// The members whose attributes the declarations rewrite could lose.
bool IsSaved(host::Member& member, long declarationLines) {
    const int type = member.Type();
    return member.CodeLocation() <= declarationLines && member.Scope() != host::vbext_Private &&
           type != host::vbext_mt_Method && type != host::vbext_mt_Property &&
           type != host::vbext_mt_Const;
}

template <typename T>
void Keep(T& target, const T& saved) {
    if (saved != T{}) target = saved;
}

}  // namespace

SavedPropertyList SaveProperties(host::CodeModule& module) try {
    SavedPropertyList list;
    const long declarationLines = module.CountOfDeclarationLines();
    host::Members& members = module.Members();
    const long count = members.Count();
    for (long i = 1; i <= count; ++i) {
        host::Member& member = members.Item(i);
        if (IsSaved(member, declarationLines)) {
            list.push_back({member.Name(), member.Attributes(), &member});
        }
    }
    return list;
} QV_PASS_UP("Tidy", "SaveProperties")

void RestoreProperties(host::CodeModule& module, const SavedPropertyList& list) try {
    for (const SavedProperties& saved : list) {
        RestoreMemberProperties(saved.member != nullptr ? *saved.member
                                                        : module.Members().Item(saved.name),
                                saved.attributes);
    }
} QV_PASS_UP("Tidy", "RestoreProperties")

void RestoreMemberProperties(host::Member& member, const host::MemberAttributes& saved) try {
    host::MemberAttributes a = member.Attributes();
    Keep(a.Description, saved.Description);
    Keep(a.Category, saved.Category);
    Keep(a.PropertyPage, saved.PropertyPage);
    Keep(a.HelpContextID, saved.HelpContextID);
    Keep(a.StandardMethod, saved.StandardMethod);
    Keep(a.Bindable, saved.Bindable);
    Keep(a.Browsable, saved.Browsable);
    Keep(a.DefaultBind, saved.DefaultBind);
    Keep(a.DisplayBind, saved.DisplayBind);
    Keep(a.Hidden, saved.Hidden);
    Keep(a.RequestEdit, saved.RequestEdit);
    if (!(a == member.Attributes())) member.SetAttributes(a);
} QV_PASS_UP("Tidy", "RestoreMemberProperties")

}  // namespace qv::tidy
