#include "lsp/open_document.h"

#include <QUrl>

#include "host/files/module_loader.h"

namespace qv::lsp {

std::string PathOfUri(const QString& uri) {
    const QUrl url(uri);
    return url.isLocalFile() ? url.toLocalFile().toStdString() : std::string{};
}

QString UriOfPath(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded);
}

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
    bytes_ = text_.Text().toUtf8().toStdString();
    if (module_ != nullptr) module_->Load(bytes_);
}

}  // namespace qv::lsp
