#include <algorithm>
#include <string>
#include <vector>

#include "host/memory/memory_code_module_observers.h"
#include "host/memory/memory_host.h"
#include "host/memory/memory_vbe.h"
#include "host/memory/vb_syntax.h"
#include "host/received_line.h"
#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::host::memory {

namespace {

// Splits text at CR LF, LF or CR (a line break of any kind starts a new line).
std::vector<std::string> SplitAnyBreak(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    lines.emplace_back(text.substr(start));
    return lines;
}

}  // namespace

MemoryCodeModule::MemoryCodeModule(MemoryComponent& component)
    : component_(component), members_(*this) {
    window_ = std::make_unique<MemoryWindow>(vbext_wt_CodeWindow, "");
    pane_ = std::make_unique<MemoryCodePane>(*this, *window_);
    Vbe().AllWindows().Adopt(*window_);
}

MemoryCodeModule::~MemoryCodeModule() {
    Vbe().AllWindows().Forget(*window_);
}

const ProcedureIndex& MemoryCodeModule::Index() const {
    if (!indexCurrent_) {
        index_.Rebuild(lines_);
        indexCurrent_ = true;
    }
    return index_;
}

MemoryVbe& MemoryCodeModule::Vbe() const {
    return component_.Owner().Project().Vbe();
}

VBComponent& MemoryCodeModule::Parent() {
    return component_;
}

std::string MemoryCodeModule::Name() const {
    return component_.Name();
}

text::CodePage MemoryCodeModule::TextCodePage() const {
    return component_.TextCodePage();
}

host::CodePane& MemoryCodeModule::CodePane() {
    window_->SetCaption(component_.Owner().Project().Name() + " - " + component_.Name() +
                        " (Code)");
    return *pane_;
}

void MemoryCodeModule::LoadLines(std::shared_ptr<const std::string> buffer,
                                 std::vector<std::string_view> lines) {
    RecordReload();
    const long oldCount = lines_.Count();
    lines_.Assign(std::move(buffer), std::move(lines));
    AfterReload(oldCount);
}

void MemoryCodeModule::LoadLines(std::shared_ptr<const std::string> buffer,
                                 std::vector<std::string_view> lines, ProcedureIndex&& index) {
    LoadLines(std::move(buffer), std::move(lines));
    index_.Adopt(std::move(index));
    indexCurrent_ = true;
}

void MemoryCodeModule::LoadLines(LineStore&& lines) {
    RecordReload();
    const long oldCount = lines_.Count();
    lines_ = std::move(lines);
    AfterReload(oldCount);
}

void MemoryCodeModule::LoadLines(LineStore&& lines, ProcedureIndex&& index) {
    LoadLines(std::move(lines));
    index_.Adopt(std::move(index));
    indexCurrent_ = true;
}

void MemoryCodeModule::LoadText(std::string_view text) {
    std::vector<std::string> lines;
    if (!text.empty()) lines = SplitAnyBreak(text);
    RecordReload();
    const long oldCount = lines_.Count();
    lines_.Assign(lines);
    AfterReload(oldCount);
}

void MemoryCodeModule::AfterReload(long oldCount) {
    indexCurrent_ = false;
    ++declarationsVersion_;
    if (oldCount > 0 || lines_.Count() > 0) {
        TellObservers(
            [&](CodeModuleObserver& o) { o.LinesReplaced(*this, 1, oldCount, lines_.Count()); });
    }
}

void MemoryCodeModule::Subscribe(CodeModuleObserver* observer) {
    if (observer != nullptr &&
        std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
        observers_.push_back(observer);
    }
}

void MemoryCodeModule::Unsubscribe(CodeModuleObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

std::string MemoryCodeModule::Lines(long startLine, long count) const {
    if (startLine < 1 || count < 0) Raise(err::kInvalidProcedureCall);
    std::string out;
    const long n = lines_.Count();
    const long last = std::min(n, startLine + count - 1);
    // Sized once, so that a routine's text is not copied as it grows.
    size_t size = 0;
    for (long i = startLine; i <= last; ++i) size += lines_.Line(i - 1).size() + text::kCrLf.size();
    out.reserve(size);
    for (long i = startLine; i <= last; ++i) {
        if (i > startLine) out.append(text::kCrLf);
        out.append(lines_.Line(i - 1));
    }
    return out;
}

std::string_view MemoryCodeModule::LineView(long line) const {
    if (line < 1 || line > lines_.Count()) Raise(err::kInvalidProcedureCall);
    return lines_.Line(line - 1);
}

std::vector<std::string> MemoryCodeModule::ReceivedLines(long line, std::string_view text) const {
    const long at = std::min(line, lines_.Count() + 1);
    std::vector<std::string> lines = SplitAnyBreak(text);
    bool continuation = at > 1 && IsContinued(lines_.Line(at - 2));
    for (std::string& l : lines) {
        l = TidyReceivedLine(l, Vbe().TabWidth(), continuation);
        continuation = IsContinued(l);
    }
    return lines;
}

void MemoryCodeModule::InsertLines(long line, std::string_view text) {
    if (line < 1) Raise(err::kInvalidProcedureCall);
    if (text.empty()) return;
    InsertReceived(std::min(line, lines_.Count() + 1), ReceivedLines(line, text));
}

void MemoryCodeModule::InsertShapedLines(long line, std::string_view text,
                                         std::vector<std::string>&& shaped, int tabWidth) {
    // An empty text inserts no line (however many lines are shaped).
    if (text.empty()) {
        InsertLines(line, text);
        return;
    }
    InsertShapedLines(
        line, [text] { return std::string(text); }, std::move(shaped), tabWidth);
}

void MemoryCodeModule::InsertShapedLines(long line, const std::function<std::string()>& text,
                                         std::vector<std::string>&& shaped, int tabWidth) {
    // Lines shaped with another width, or after another line than the one
    // they land under (a line past the end lands after the last), are
    // shaped here again: the only way that reads the text.
    if (line < 1 || line > lines_.Count() + 1 || tabWidth != Vbe().TabWidth() || shaped.empty()) {
        InsertLines(line, text());
        return;
    }
    InsertReceived(line, std::move(shaped));
}

void MemoryCodeModule::InsertReceived(long at, std::vector<std::string> lines) {
    const long oldDeclarations = indexCurrent_ ? index_.DeclarationLines() : -1;
    RecordEdit(at - 1, 0, static_cast<long>(lines.size()));
    lines_.Insert(at - 1, lines);
    if (indexCurrent_) index_.OnInserted(lines_, at, static_cast<long>(lines.size()));
    AfterEdit(at, oldDeclarations);
    const auto count = static_cast<long>(lines.size());
    TellObservers([&](CodeModuleObserver& o) { o.LinesInserted(*this, at, count); });
}

void MemoryCodeModule::DeleteLines(long startLine, long count) {
    if (count == 0) return;
    if (startLine < 1 || count < 0 || startLine + count - 1 > lines_.Count()) {
        Raise(err::kInvalidProcedureCall);
    }
    const long oldDeclarations = indexCurrent_ ? index_.DeclarationLines() : -1;
    RecordEdit(startLine - 1, count, 0);
    lines_.Erase(startLine - 1, count);
    if (indexCurrent_) index_.OnDeleted(lines_, startLine, count);
    AfterEdit(startLine, oldDeclarations);
    TellObservers([&](CodeModuleObserver& o) { o.LinesDeleted(*this, startLine, count); });
}

void MemoryCodeModule::ReplaceShapedLines(long line, long oldCount, std::string_view text,
                                          const std::vector<std::string_view>& shaped,
                                          int tabWidth) {
    // An empty text inserts no line (however many lines are shaped).
    if (text.empty()) {
        CodeModule::ReplaceShapedLines(line, oldCount, text, shaped, tabWidth);
        return;
    }
    ReplaceShapedLines(
        line, oldCount, [text] { return std::string(text); }, shaped, tabWidth);
}

void MemoryCodeModule::ReplaceShapedLines(long line, long oldCount,
                                          const std::function<std::string()>& text,
                                          const std::vector<std::string_view>& shaped,
                                          int tabWidth) {
    // As InsertShapedLines, lines it would shape again, and a range that is
    // not the module's, take the two edits' way (the only one that reads
    // the text).
    if (line < 1 || oldCount < 1 || line + oldCount - 1 > lines_.Count() || shaped.empty() ||
        tabWidth != Vbe().TabWidth()) {
        CodeModule::ReplaceShapedLines(line, oldCount, text(), shaped, tabWidth);
        return;
    }
    // One edit: the index reads the replaced routine once, and a group
    // keeps one step to undo.
    const auto newCount = static_cast<long>(shaped.size());
    const long oldDeclarations = indexCurrent_ ? index_.DeclarationLines() : -1;
    RecordEdit(line - 1, oldCount, newCount);
    lines_.Erase(line - 1, oldCount);
    lines_.InsertViewed(line - 1, shaped);
    if (indexCurrent_) index_.OnReplaced(lines_, line, oldCount, newCount);
    AfterEdit(line, oldDeclarations);
    TellObservers([&](CodeModuleObserver& o) { o.LinesReplaced(*this, line, oldCount, newCount); });
}

void MemoryCodeModule::AfterEdit(long line, long oldDeclarationLines) {
    ++editCount_;
    // The members of the declarations section are read again only when the
    // edit touched that section.
    if (oldDeclarationLines < 0 || line <= oldDeclarationLines + 1 ||
        index_.DeclarationLines() != oldDeclarationLines) {
        ++declarationsVersion_;
    }
}

void MemoryCodeModule::SetHiddenAttributes(std::string_view memberName,
                                           std::vector<HiddenAttribute> lines) {
    const std::string key = text::ToLower(memberName);
    if (lines.empty()) {
        attributes_.erase(key);
        return;
    }
    auto& slot = attributes_[key];
    if (slot.first.empty()) slot.first = std::string(memberName);
    slot.second = std::move(lines);
}

const std::vector<HiddenAttribute>* MemoryCodeModule::HiddenAttributes(
    std::string_view memberName) const {
    auto it = attributes_.find(text::ToLower(memberName));
    return it == attributes_.end() ? nullptr : &it->second.second;
}

std::vector<std::string> MemoryCodeModule::MembersWithHiddenAttributes() const {
    std::vector<std::string> names;
    for (const auto& [key, value] : attributes_) names.push_back(value.first);
    return names;
}

// ---------------------------------------------------------------- code pane

host::CodeModule& MemoryCodePane::CodeModule() {
    return module_;
}
host::Window& MemoryCodePane::Window() {
    return window_;
}

void MemoryCodePane::GetSelection(long& startLine, long& startColumn, long& endLine,
                                  long& endColumn) const {
    startLine = startLine_;
    startColumn = startColumn_;
    endLine = endLine_;
    endColumn = endColumn_;
}

void MemoryCodePane::SetSelection(long startLine, long startColumn, long endLine, long endColumn) {
    if (startLine < 1 || startColumn < 1 || endLine < 1 || endColumn < 1) {
        Raise(err::kInvalidProcedureCall);
    }
    startLine_ = startLine;
    startColumn_ = startColumn;
    endLine_ = endLine;
    endColumn_ = endColumn;
}

void MemoryCodePane::Show() {
    module_.CodePane();  // refreshes the window caption
    window_.SetVisible(true);
    module_.Vbe().SetActiveCodePane(this);
}

}  // namespace qv::host::memory
