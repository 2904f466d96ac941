#include "lsp/open_document.h"

#include "host/files/module_loader.h"

namespace qv::lsp {

OpenDocument::OpenDocument(ProjectCache& projects, TextDocument text) : text_(std::move(text)) {
    const std::string path = PathOfUri(text_.Uri());
    if (!path.empty() && host::files::TypeOfExtension(path) != 0) {
        module_ = std::make_unique<DocumentModule>(projects, path);
    }
    Sync();
}

DocumentModule* OpenDocument::Module() {
    return module_ != nullptr && module_->Component() != nullptr ? module_.get() : nullptr;
}

const LoadProblem* OpenDocument::Problem() const {
    return module_ != nullptr && module_->Component() == nullptr ? &module_->Problem() : nullptr;
}

void OpenDocument::Sync() {
    if (module_ != nullptr) module_->Load(text_.Text());
}

}  // namespace qv::lsp
