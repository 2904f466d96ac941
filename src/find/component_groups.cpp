#include "find/component_groups.h"

#include "host/host_constants.h"

namespace qv::find {

std::optional<ComponentGroup> GroupOfComponentType(int type) {
    using namespace host;
    switch (type) {
        case vbext_ct_MSForm: return ComponentGroup{0, "Forms", "MSForm"};
        case vbext_ct_VBForm: return ComponentGroup{0, "Forms", "VBForm"};
        case vbext_ct_VBMDIForm: return ComponentGroup{0, "Forms", "VBMDIForm"};
        case vbext_ct_StdModule: return ComponentGroup{1, "Modules", "StdModule"};
        case vbext_ct_ClassModule: return ComponentGroup{2, "Class Modules", "ClassModule"};
        case vbext_ct_UserControl: return ComponentGroup{3, "User Controls", "UserControl"};
        case vbext_ct_PropPage: return ComponentGroup{4, "Property Pages", "PropPage"};
        case vbext_ct_ActiveXDesigner: return ComponentGroup{5, "Designers", "ActiveXDesigner"};
        case vbext_ct_DocObject: return ComponentGroup{6, "User Documents", "DocObject"};
        case vbext_ct_ResFile:
        case vbext_ct_RelatedDocument:
            return ComponentGroup{7, "Related Documents", "RelatedDocument"};
        default: return std::nullopt;
    }
}

bool IsSearchedComponentType(int type) {
    return type != host::vbext_ct_ResFile && type != host::vbext_ct_RelatedDocument &&
           GroupOfComponentType(type).has_value();
}

std::string_view ProjectImage(int projectType) {
    switch (projectType) {
        case host::vbext_pt_StandardExe: return "StandardExe";
        case host::vbext_pt_ActiveXExe: return "ActiveXExe";
        case host::vbext_pt_ActiveXDll: return "ActiveXDll";
        case host::vbext_pt_ActiveXControl: return "ActiveXControl";
        default: return {};
    }
}

}  // namespace qv::find
