#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "host/memory/memory_host.h"
#include "host/memory/memory_vbe.h"
#include "host/memory/vb_syntax.h"
#include "host/received_line.h"
#include "platform/code_page.h"
#include "platform/like.h"
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

bool IsWordChar(char c) {
    return IsIdentifierChar(c);
}

// Whether the hit [begin, end) is a whole word. In a double-byte code page
// a byte before the hit that is no character's first byte ends a
// double-byte character, which is a letter whatever its trail byte is.
bool IsWholeWord(std::string_view line, size_t begin, size_t end, text::CodePage page) {
    const bool startsWord = begin == 0 ||
                            (!IsWordChar(line[begin - 1]) &&
                             (!page.IsDoubleByte() || text::StartsCharacter(line, begin - 1, page)));
    return startsWord && (end >= line.size() || !IsWordChar(line[end]));
}

// Whether the hit [begin, end) holds whole characters: in the double-byte
// code pages a trail byte may be "\", "|" or a letter, and a hit never
// starts or ends inside a character.
bool HoldsWholeCharacters(std::string_view line, size_t begin, size_t end, text::CodePage page) {
    if (page.IsUtf8()) {
        return text::StartsCharacter(line, begin, page) && text::StartsCharacter(line, end, page);
    }
    if (!page.IsDoubleByte()) return true;
    size_t i = 0;
    while (i < begin) i += text::CharacterLength(line, i, page);
    if (i != begin) return false;
    while (i < end) i += text::CharacterLength(line, i, page);
    return i == end;
}

// A plain search text, with or without regard to case. Find scans a whole
// module line by line, so the search is made once per call: a byte of the
// text matches its own value or, where case is ignored, the byte of the
// other case of its letter (a byte of a multi-byte character matches only
// itself). Sixteen positions are tested at a time on their first and last
// byte, with a mask that folds the two values together (and may let more
// through; the full test then decides).
class TextFinder {
  public:
    TextFinder(std::string_view target, bool matchCase, text::CodePage page)
        : size_(target.size()) {
        value_.resize(size_);
        other_.resize(size_);
        mask_.resize(size_);
        for (size_t i = 0; i < size_;) {
            const size_t length = text::CharacterLength(target, i, page);
            for (size_t k = i; k < i + length; ++k) {
                const auto c = static_cast<unsigned char>(target[k]);
                value_[k] = c;
                other_[k] = !matchCase && length == 1 ? text::OtherCaseByte(c, page) : c;
                mask_[k] = static_cast<unsigned char>(value_[k] ^ other_[k]);
            }
            i += length;
        }
    }

    // The first position at or after from where the text stands; npos if none.
    size_t Find(std::string_view line, size_t from) const {
        if (size_ == 0 || size_ > line.size()) return std::string_view::npos;
        const size_t lastStart = line.size() - size_;
        const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
        size_t i = from;
#if defined(__SSE2__)
        for (; i + 16 <= lastStart + 1; i += 16) {
            if (const size_t at = FirstMatchInBlock(bytes, i, ~0u); at != kNone) return at;
        }
        if (i <= lastStart && lastStart >= 15) {
            // The last sixteen starts, overlapping those already tested.
            const size_t block = lastStart - 15;
            return FirstMatchInBlock(bytes, block, ~0u << (i - block));
        }
#endif
        for (; i <= lastStart; ++i) {
            if (MatchesAt(bytes + i)) return i;
        }
        return std::string_view::npos;
    }

  private:
    static constexpr size_t kNone = std::string_view::npos;

#if defined(__SSE2__)
    // The first of the sixteen starts from block on (those whose bit is set
    // in wanted) where the text stands: candidates match on the first and the
    // last byte, then in full.
    size_t FirstMatchInBlock(const unsigned char* bytes, size_t block, unsigned wanted) const {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + block));
        const __m128i last =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + block + size_ - 1));
        const auto folded = [](unsigned char c, unsigned char mask) {
            return _mm_set1_epi8(static_cast<char>(c | mask));
        };
        const __m128i hit = _mm_and_si128(
            _mm_cmpeq_epi8(_mm_or_si128(first, _mm_set1_epi8(static_cast<char>(mask_.front()))),
                           folded(value_.front(), mask_.front())),
            _mm_cmpeq_epi8(_mm_or_si128(last, _mm_set1_epi8(static_cast<char>(mask_.back()))),
                           folded(value_.back(), mask_.back())));
        for (unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hit)) & wanted; bits != 0;
             bits &= bits - 1) {
            const size_t at = block + static_cast<size_t>(__builtin_ctz(bits));
            if (MatchesAt(bytes + at)) return at;
        }
        return kNone;
    }
#endif

    bool MatchesAt(const unsigned char* at) const {
        for (size_t k = 0; k < size_; ++k) {
            if (at[k] != value_[k] && at[k] != other_[k]) return false;
        }
        return true;
    }

    size_t size_;
    std::basic_string<unsigned char> value_;
    std::basic_string<unsigned char> other_;
    std::basic_string<unsigned char> mask_;
};

// The first hit in line[from, limit) that ends at or before limit.
bool SearchLine(std::string_view line, size_t from, size_t limit, const TextFinder& finder,
                size_t targetSize, bool wholeWord, const LikePattern* pattern, text::CodePage page,
                size_t& begin, size_t& end) {
    while (from <= line.size()) {
        size_t b, e;
        if (pattern != nullptr) {
            auto hit = pattern->Search(line, from);
            if (!hit) return false;
            b = hit->first;
            e = hit->second;
            if (e == b)
                e = b + 1 <= line.size() ? b + 1 : b;  // an empty match still selects one column
        } else {
            b = finder.Find(line, from);
            if (b == std::string_view::npos) return false;
            e = b + targetSize;
        }
        if (e > limit) return false;
        if (HoldsWholeCharacters(line, b, e, page) &&
            (!wholeWord || IsWholeWord(line, b, e, page))) {
            begin = b;
            end = e;
            return true;
        }
        from = b + 1;
    }
    return false;
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

template <typename Tell>
void MemoryCodeModule::TellObservers(Tell tell) {
    // A copy: an observer may unsubscribe while it is told.
    const std::vector<CodeModuleObserver*> observers = observers_;
    for (CodeModuleObserver* o : observers) tell(*o);
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

MemoryCodeModule::State MemoryCodeModule::Current() const {
    return {lines_.Snapshot(), attributes_, editCount_};
}

void MemoryCodeModule::PutBack(const State& state) {
    RecordReload();
    attributes_ = state.attributes;
    const long oldCount = lines_.Count();
    lines_.Restore(state.lines);
    AfterReload(oldCount);
}

void MemoryCodeModule::Restore(const State& state) {
    editCount_ = std::max(editCount_, state.editCount) + 1;
    PutBack(state);
}

void MemoryCodeModule::RestorePart(long first, long oldCount, const LineSnapshot& lines,
                                   const AttributeLines& attributes, unsigned long editCount) {
    if (first < 1 || oldCount < 0 || first + oldCount - 1 > lines_.Count())
        Raise(err::kInvalidProcedureCall);
    editCount_ = std::max(editCount_, editCount) + 1;
    const bool sameAttributes = &attributes == &attributes_ || attributes == attributes_;
    if (!sameAttributes) attributes_ = attributes;
    const auto newCount = static_cast<long>(lines.lines.size());
    const long oldDeclarations = indexCurrent_ ? index_.DeclarationLines() : -1;
    RecordEdit(first - 1, oldCount, newCount);
    // Told to the index as an edit: putting back one routine costs that
    // routine, not a new reading of the whole module.
    lines_.Replace(first - 1, oldCount, lines);
    if (indexCurrent_) index_.OnReplaced(lines_, first, oldCount, newCount);
    // The members are read again only when their attribute lines or the
    // declarations section may have changed.
    if (!sameAttributes || oldDeclarations < 0 || first <= oldDeclarations + 1 ||
        index_.DeclarationLines() != oldDeclarations) {
        ++declarationsVersion_;
    }
    if (oldCount > 0 || newCount > 0) {
        TellObservers(
            [&](CodeModuleObserver& o) { o.LinesReplaced(*this, first, oldCount, newCount); });
    }
}

void MemoryCodeModule::BeginTransaction() {
    auto begun = std::make_unique<Transaction>();
    begun->attributes = attributes_;
    begun->editCount = editCount_;
    for (const auto& open : transactions_) begun->enclosingSteps.push_back(open->steps.size());
    transactions_.push_back(std::move(begun));
}

void MemoryCodeModule::RecordEdit(long index, long oldCount, long newCount) {
    for (const auto& open : transactions_) {
        if (!open->lines) open->steps.push_back({index, newCount, lines_.Snapshot(index, oldCount)});
    }
}

void MemoryCodeModule::RecordReload() {
    for (const auto& open : transactions_) {
        if (open->lines) continue;
        open->lines = LinesAtBegin(*open);
        open->steps.clear();
    }
}

LineSnapshot MemoryCodeModule::LinesAtBegin(const Transaction& transaction) const {
    if (transaction.lines) return *transaction.lines;
    LineSnapshot lines = lines_.Snapshot();
    for (auto step = transaction.steps.rbegin(); step != transaction.steps.rend(); ++step) {
        const auto at = lines.lines.begin() + step->index;
        lines.lines.erase(at, at + step->inserted);
        lines.lines.insert(lines.lines.begin() + step->index, step->removed.lines.begin(),
                           step->removed.lines.end());
        lines.buffers.insert(lines.buffers.end(), step->removed.buffers.begin(),
                             step->removed.buffers.end());
    }
    return lines;
}

const MemoryCodeModule::State* MemoryCodeModule::CommittedFrom() const {
    if (!committed_) return nullptr;
    if (!committedFrom_) {
        committedFrom_ = std::make_unique<State>(
            State{LinesAtBegin(*committed_), committed_->attributes, committed_->editCount});
    }
    return committedFrom_.get();
}

void MemoryCodeModule::CommitTransaction() {
    if (transactions_.empty()) Raise(err::kInvalidProcedureCall);
    std::unique_ptr<Transaction> ended = std::move(transactions_.back());
    transactions_.pop_back();
    // An inner group's edits are the enclosing group's already; the
    // observers hear of the outermost group only.
    if (!transactions_.empty()) return;
    committed_ = std::move(ended);
    TellObservers([&](CodeModuleObserver& o) { o.TransactionEnded(*this, true); });
    committed_.reset();
    committedFrom_.reset();
}

void MemoryCodeModule::CancelTransaction() {
    if (transactions_.empty()) Raise(err::kInvalidProcedureCall);
    std::unique_ptr<Transaction> t = std::move(transactions_.back());
    transactions_.pop_back();
    // The enclosing groups forget the edits undone here.
    for (size_t i = 0; i < transactions_.size(); ++i) {
        if (!transactions_[i]->lines) transactions_[i]->steps.resize(t->enclosingSteps[i]);
    }
    // Nothing a cancelled group did remains: a module that was as loaded is
    // so again, and is not written back.
    if (editCount_ != t->editCount) {
        editCount_ = t->editCount;
        if (t->lines) {
            PutBack({*t->lines, t->attributes, t->editCount});
        } else {
            UndoSteps(*t);
        }
    } else {
        attributes_ = std::move(t->attributes);
        ++declarationsVersion_;  // the attribute lines may have changed
    }
    if (!transactions_.empty()) return;
    TellObservers([&](CodeModuleObserver& o) { o.TransactionEnded(*this, false); });
}

// The group's edits undone from the last, the index kept by each.
void MemoryCodeModule::UndoSteps(const Transaction& transaction) {
    const long oldCount = lines_.Count();
    attributes_ = transaction.attributes;
    for (auto step = transaction.steps.rbegin(); step != transaction.steps.rend(); ++step) {
        lines_.Replace(step->index, step->inserted, step->removed);
        if (indexCurrent_) {
            index_.OnReplaced(lines_, step->index + 1, step->inserted,
                              static_cast<long>(step->removed.lines.size()));
        }
    }
    ++declarationsVersion_;
    if (oldCount > 0 || lines_.Count() > 0) {
        TellObservers(
            [&](CodeModuleObserver& o) { o.LinesReplaced(*this, 1, oldCount, lines_.Count()); });
    }
}

std::string MemoryCodeModule::Lines(long startLine, long count) const {
    if (startLine < 1 || count < 0) Raise(err::kInvalidProcedureCall);
    std::string out;
    const long n = lines_.Count();
    const long last = std::min(n, startLine + count - 1);
    for (long i = startLine; i <= last; ++i) {
        if (i > startLine) out.append(text::kCrLf);
        out.append(lines_.Line(i - 1));
    }
    return out;
}

void MemoryCodeModule::InsertLines(long line, std::string_view text) {
    if (line < 1) Raise(err::kInvalidProcedureCall);
    if (text.empty()) return;
    const long at = std::min(line, lines_.Count() + 1);
    std::vector<std::string> lines = SplitAnyBreak(text);
    bool continuation = at > 1 && IsContinued(lines_.Line(at - 2));
    for (std::string& l : lines) {
        l = TidyReceivedLine(l, Vbe().TabWidth(), continuation);
        continuation = IsContinued(l);
    }
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

void MemoryCodeModule::AfterEdit(long line, long oldDeclarationLines) {
    ++editCount_;
    // The members of the declarations section are read again only when the
    // edit touched that section.
    if (oldDeclarationLines < 0 || line <= oldDeclarationLines + 1 ||
        index_.DeclarationLines() != oldDeclarationLines) {
        ++declarationsVersion_;
    }
}

const MemberRecord* MemoryCodeModule::DeclaredProcedure(std::string_view procName,
                                                        int procKind) const {
    if (procKind != vbext_pk_Proc) return nullptr;
    const MemberRecord* record = members_.Find(procName, false);
    if (record == nullptr || record->type != vbext_mt_Method ||
        record->location > Index().DeclarationLines()) {
        return nullptr;
    }
    return record;
}

long MemoryCodeModule::CheckedProc(std::string_view procName, int procKind) const {
    const long copy =
        chosenCopy_.copy > 0 && text::EqualsIgnoreCase(procName, chosenCopy_.name) ? chosenCopy_.copy
                                                                                   : 0;
    const long i = Index().Find(procName, procKind, copy);
    if (i < 0) Raise(err::kSubOrFunctionNotDefined);
    return i;
}

long MemoryCodeModule::ProcCopies(std::string_view procName, int procKind) const {
    return Index().Copies(procName, procKind);
}

long MemoryCodeModule::ProcCopyOfLine(long line) const {
    const long i = Index().ProcOfLine(line, lines_.Count());
    return i < 0 ? 0 : Index().CopyOf(static_cast<size_t>(i));
}

ProcCopyChoice MemoryCodeModule::ChooseProcCopy(std::string_view procName, long copy) {
    ProcCopyChoice before = chosenCopy_;
    // The first copy is what the lookups answer for without a choice.
    if (copy == 0 && before.copy == 0) return before;
    chosenCopy_ = {copy > 0 ? std::string(procName) : std::string(), copy};
    return before;
}

long MemoryCodeModule::ProcStartLine(std::string_view procName, int procKind) const {
    // A Declare statement is a method of the declarations section: the IDE
    // gives its own line, which lies within the section.
    if (const MemberRecord* d = DeclaredProcedure(procName, procKind)) return d->location;
    return Index().StartLine(static_cast<size_t>(CheckedProc(procName, procKind)));
}

long MemoryCodeModule::ProcBodyLine(std::string_view procName, int procKind) const {
    if (const MemberRecord* d = DeclaredProcedure(procName, procKind)) return d->location;
    return Index().Body(static_cast<size_t>(CheckedProc(procName, procKind)));
}

long MemoryCodeModule::ProcCountLines(std::string_view procName, int procKind) const {
    if (DeclaredProcedure(procName, procKind) != nullptr) return 1;
    return Index().CountLines(static_cast<size_t>(CheckedProc(procName, procKind)), lines_.Count());
}

std::string MemoryCodeModule::ProcOfLine(long line, int& procKind) const {
    const long i = Index().ProcOfLine(line, lines_.Count());
    if (i < 0) {
        procKind = vbext_pk_Proc;
        return {};
    }
    const ProcInfo& p = Index().At(static_cast<size_t>(i));
    procKind = p.kind;
    return p.name;
}

bool MemoryCodeModule::Find(std::string_view target, long& startLine, long& startColumn,
                            long& endLine, long& endColumn, bool wholeWord, bool matchCase,
                            bool patternSearch) const {
    if (target.empty() || lines_.Count() == 0) return false;
    const long firstLine = std::max(startLine, 1L);
    const long lastLine = endLine < 0 ? lines_.Count() : std::min(endLine, lines_.Count());
    std::optional<LikePattern> pattern;
    if (patternSearch) {
        pattern.emplace(target, matchCase ? CompareMode::Binary : CompareMode::Text);
    }
    const text::CodePage page = TextCodePage();
    const TextFinder finder(patternSearch ? std::string_view() : target, matchCase, page);
    for (long l = firstLine; l <= lastLine; ++l) {
        const std::string_view line = lines_.Line(l - 1);
        const size_t from = l == firstLine ? static_cast<size_t>(std::max(startColumn, 1L) - 1) : 0;
        if (from > line.size()) continue;
        size_t limit = line.size();
        // The end column bounds only the end line itself, not a last line
        // that merely stands in for an end past the module's end.
        if (l == endLine && endColumn >= 0) {
            limit = std::min(limit, static_cast<size_t>(std::max(endColumn - 1, 0L)));
        }
        size_t begin = 0, end = 0;
        if (SearchLine(line, from, limit, finder, target.size(), wholeWord,
                       pattern ? &*pattern : nullptr, page, begin, end)) {
            startLine = endLine = l;
            startColumn = static_cast<long>(begin) + 1;
            endColumn = static_cast<long>(end) + 1;
            return true;
        }
    }
    return false;
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

// ---------------------------------------------------------------- members

namespace {

// The named items of the declarations section, in order.
std::vector<MemberRecord> ReadDeclarationMembers(const MemoryCodeModule& module) {
    std::vector<MemberRecord> records;
    const long n = module.CountOfDeclarationLines();
    bool inBlock = false;
    for (long i = 1; i <= n; ++i) {
        const long first = i;
        std::string statement(module.Line(i));
        while (IsContinued(statement) && i < n) {
            // Join the continuation: drop the "_" and go on with the next line.
            const size_t underscore = statement.find_last_of('_');
            statement.resize(underscore);
            statement.append(" ").append(module.Line(++i));
        }
        const DeclarationStatement parsed = ParseDeclarationStatement(statement);
        if (parsed.closesBlock) {
            inBlock = false;
            continue;
        }
        if (inBlock) continue;
        if (parsed.opensBlock) {
            inBlock = true;
            continue;
        }
        for (const DeclaredName& d : parsed.names) {
            records.push_back({d.name, d.type, d.scope, first});
        }
    }
    return records;
}

}  // namespace

void MemoryMembers::Refresh() const {
    const ProcedureIndex& index = module_.Index();
    const unsigned long names = index.NamesVersion();
    const unsigned long declarations = module_.DeclarationsVersion();
    if (builtFor_ == names && builtForDeclarations_ == declarations) return;
    if (builtForDeclarations_ != declarations) {
        statements_ = ReadDeclarationMembers(module_);
        builtForDeclarations_ = declarations;
    }
    records_.clear();
    procOf_.clear();
    byName_.clear();
    procedureByName_.clear();
    // One member per name and sort: an item declared in each branch of an
    // #If is one member, and so is a property with several accessors.
    for (const MemberRecord& record : statements_) {
        if (byName_.emplace(text::ToLower(record.name), records_.size()).second) {
            records_.push_back(record);
            procOf_.push_back(-1);
        }
    }
    for (size_t i = 0; i < index.Count(); ++i) {
        const ProcInfo& p = index.At(i);
        if (!procedureByName_.emplace(text::ToLower(p.name), records_.size()).second) continue;
        records_.push_back(
            {p.name, p.isProperty ? vbext_mt_Property : vbext_mt_Method, p.scope, p.body, true});
        procOf_.push_back(static_cast<long>(i));
    }
    builtFor_ = names;
    locatedFor_ = index.Version();
}

void MemoryMembers::Locate(size_t record) const {
    // A procedure's line moves with every edit above it; read it when asked.
    if (procOf_[record] >= 0) {
        records_[record].location = module_.Index().Body(static_cast<size_t>(procOf_[record]));
    }
}

const std::vector<MemberRecord>& MemoryMembers::Records() const {
    Refresh();
    if (locatedFor_ != module_.Index().Version()) {
        for (size_t i = 0; i < records_.size(); ++i) Locate(i);
        locatedFor_ = module_.Index().Version();
    }
    return records_;
}

const MemberRecord* MemoryMembers::Find(std::string_view name) const {
    if (const MemberRecord* procedure = Find(name, true)) return procedure;
    return Find(name, false);
}

const MemberRecord* MemoryMembers::Find(std::string_view name, bool procedure) const {
    Refresh();
    const auto& map = procedure ? procedureByName_ : byName_;
    auto it = map.find(text::ToLower(name));
    if (it == map.end()) return nullptr;
    Locate(it->second);
    return &records_[it->second];
}

std::vector<long> MemoryMembers::DeclarationStatements(std::string_view name) const {
    Refresh();
    std::vector<long> lines;
    for (const MemberRecord& record : statements_) {
        if (text::EqualsIgnoreCase(record.name, name)) lines.push_back(record.location);
    }
    return lines;
}

long MemoryMembers::Count() const {
    return static_cast<long>(Records().size());
}

MemoryMember& MemoryMembers::Handle(const std::string& name, bool procedure) {
    auto& slot = handles_[text::ToLower(name) + (procedure ? "\x01" : "\x02")];
    if (!slot) slot = std::make_unique<MemoryMember>(*this, name, procedure);
    return *slot;
}

Member& MemoryMembers::Item(long index) {
    const auto& records = Records();
    if (index < 1 || index > static_cast<long>(records.size())) Raise(err::kSubscriptOutOfRange);
    const MemberRecord& record = records[static_cast<size_t>(index - 1)];
    return Handle(record.name, record.procedure);
}

Member& MemoryMembers::Item(std::string_view name) {
    const MemberRecord* record = Find(name);
    if (record == nullptr) Raise(err::kSubscriptOutOfRange);
    return Handle(record->name, record->procedure);
}

host::CodeModule& MemoryMembers::Parent() {
    return module_;
}

const MemberRecord& MemoryMember::Record() const {
    const MemberRecord* record = parent_.Find(name_, procedure_);
    if (record == nullptr)
        Raise(err::kSubscriptOutOfRange, "Member " + name_ + " no longer exists");
    return *record;
}

int MemoryMember::Type() const {
    return Record().type;
}
int MemoryMember::Scope() const {
    return Record().scope;
}
long MemoryMember::CodeLocation() const {
    return Record().location;
}
host::Members& MemoryMember::Parent() {
    return parent_;
}

void MemoryMember::SplitAttributeLines(std::vector<HiddenAttribute>& own,
                                       std::vector<HiddenAttribute>& other) const {
    const auto* lines = parent_.Module().HiddenAttributes(name_);
    if (lines == nullptr) return;
    // Lines are told apart by the declaration they stood under only when
    // the name is both a procedure's and a declared item's.
    const bool shared = parent_.Find(name_, !procedure_) != nullptr;
    for (const HiddenAttribute& line : *lines) {
        const bool procedureLine = line.anchorKind != kStatementAnchor;
        (!shared || procedureLine == procedure_ ? own : other).push_back(line);
    }
}

MemberAttributes MemoryMember::Attributes() const {
    std::vector<HiddenAttribute> own, other;
    SplitAttributeLines(own, other);
    return ParseMemberAttributes(own);
}

void MemoryMember::SetAttributes(const MemberAttributes& attributes) {
    std::vector<HiddenAttribute> own, other;
    SplitAttributeLines(own, other);
    const MemberRecord& record = Record();
    const int anchorKind = !record.procedure                  ? kStatementAnchor
                           : record.type == vbext_mt_Property ? vbext_pk_Get
                                                              : vbext_pk_Proc;
    std::vector<HiddenAttribute> lines = WithMemberAttributes(
        own, record.name, record.type == vbext_mt_Variable, anchorKind, attributes);
    lines.insert(lines.end(), other.begin(), other.end());
    parent_.Module().SetHiddenAttributes(name_, std::move(lines));
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
