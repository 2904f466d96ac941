#pragma once
// The built-in texts of the template fields: what DefaultSettings stores at
// first start and when the user asks for the defaults. Lines are joined with
// CR LF.

#include <string>
#include <string_view>

namespace qv::settings::builtin {

inline constexpr std::string_view kAdd2a = "mctxObject.SetComplete";
inline constexpr std::string_view kLabel1 = "Exit_Routine";
inline constexpr std::string_view kLabel2 = "Error_Routine";
// Which IDE window types Close Windows closes (all but Project and ToolWindow).
inline constexpr std::string_view kForms = "1111110111111110";

std::string Add3();  // also the text of add5
std::string Add4();
std::string Add6();
std::string Omit();

// The add6 text of versions before 4.4, which the upgrade stores: it names
// the routine without its module ("%r(" where Add6 has "%m.%r(").
std::string Add6WithoutModule();

}  // namespace qv::settings::builtin
