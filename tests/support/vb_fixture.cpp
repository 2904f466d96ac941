#include "support/vb_fixture.h"

#include "platform/text.h"

namespace qv::test {

std::string Vb(const std::vector<std::string>& lines) { return text::JoinLines(lines); }

VbFixture::VbFixture() : vbe_(std::make_unique<host::memory::MemoryVbe>()) {
    project_ = &vbe_->AddProject("Project1");
}

host::memory::MemoryComponent& VbFixture::Add(std::string name, int type, std::string_view code) {
    auto& component = project_->AddComponent(std::move(name), type);
    if (component.Code() != nullptr) component.Code()->LoadText(code);
    return component;
}

host::memory::MemoryCodeModule& VbFixture::Module(std::string_view name) {
    return *project_->Components().Find(name)->Code();
}

std::string VbFixture::Text(std::string_view name) {
    auto& m = Module(name);
    return m.Lines(1, m.CountOfLines());
}

}  // namespace qv::test
