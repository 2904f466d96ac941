#pragma once
// The code host's published numbering: component types, procedure kinds,
// member types and scopes, window types, project types; the longest line.

#include <cstddef>

namespace qv::host {

// The longest code line a module file may hold, in bytes. Longer lines mean
// a damaged or binary file, and nothing is written with one either: the file
// could not be read back.
inline constexpr std::size_t kLongestCodeLine = 64 * 1024;

// The largest module file read by default, in MB: far above any real module
// (the largest met in the wild is about 1 MB), and small enough that a huge
// or endless file is refused before it fills the memory.
inline constexpr long kDefaultLargestModuleMb = 64;

// VBComponent.Type
inline constexpr int vbext_ct_StdModule = 1;
inline constexpr int vbext_ct_ClassModule = 2;
inline constexpr int vbext_ct_MSForm = 3;
inline constexpr int vbext_ct_ResFile = 4;
inline constexpr int vbext_ct_VBForm = 5;
inline constexpr int vbext_ct_VBMDIForm = 6;
inline constexpr int vbext_ct_PropPage = 7;
inline constexpr int vbext_ct_UserControl = 8;
inline constexpr int vbext_ct_DocObject = 9;
inline constexpr int vbext_ct_RelatedDocument = 10;
inline constexpr int vbext_ct_ActiveXDesigner = 11;

// Procedure kinds
inline constexpr int vbext_pk_Proc = 0;
inline constexpr int vbext_pk_Let = 1;
inline constexpr int vbext_pk_Set = 2;
inline constexpr int vbext_pk_Get = 3;

// Member.Type
inline constexpr int vbext_mt_Method = 1;
inline constexpr int vbext_mt_Property = 2;
inline constexpr int vbext_mt_Variable = 3;
inline constexpr int vbext_mt_Event = 4;
inline constexpr int vbext_mt_Const = 5;

// Member.Scope
inline constexpr int vbext_Private = 1;
inline constexpr int vbext_Public = 2;
inline constexpr int vbext_Friend = 3;

// VBProject.Type
inline constexpr int vbext_pt_StandardExe = 0;
inline constexpr int vbext_pt_ActiveXExe = 1;
inline constexpr int vbext_pt_ActiveXDll = 2;
inline constexpr int vbext_pt_ActiveXControl = 3;

// Window.Type
inline constexpr int vbext_wt_CodeWindow = 0;
inline constexpr int vbext_wt_Designer = 1;
inline constexpr int vbext_wt_Browser = 2;
inline constexpr int vbext_wt_Watch = 3;
inline constexpr int vbext_wt_Locals = 4;
inline constexpr int vbext_wt_Immediate = 5;
inline constexpr int vbext_wt_ProjectWindow = 6;
inline constexpr int vbext_wt_PropertyWindow = 7;
inline constexpr int vbext_wt_Find = 8;
inline constexpr int vbext_wt_FindReplace = 9;
inline constexpr int vbext_wt_Toolbox = 10;
inline constexpr int vbext_wt_LinkedWindowFrame = 11;
inline constexpr int vbext_wt_MainWindow = 12;
inline constexpr int vbext_wt_ToolWindow = 15;

// IDTExtensibility connect modes
inline constexpr int ext_cm_AfterStartup = 0;
inline constexpr int ext_cm_Startup = 1;
inline constexpr int ext_cm_External = 2;
inline constexpr int ext_cm_CommandLine = 3;

// CommandBarControls.Add types
inline constexpr int msoControlButton = 1;
inline constexpr int msoControlPopup = 10;

}  // namespace qv::host
