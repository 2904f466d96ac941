#include "host/memory/procedure_index.h"

#include <algorithm>

#include "host/memory/vb_syntax.h"
#include "platform/text.h"

namespace qv::host::memory {

namespace {

// (name, kind) of a procedure comes before the one asked for.
bool Before(const ProcInfo& p, std::string_view name, int kind) {
    const int c = CompareNames(p.name, name);
    return c < 0 || (c == 0 && p.kind < kind);
}

}  // namespace

namespace {

void Move(ProcInfo& p, long by) {
    p.body += by;
    p.declEnd += by;
    p.end += by;
    for (long& alternative : p.alternatives) alternative += by;
}

bool SameIdentity(const ProcInfo& a, const ProcInfo& b) {
    return a.kind == b.kind && a.scope == b.scope && a.isProperty == b.isProperty &&
           a.name == b.name;
}

}  // namespace

void ProcedureIndex::Rebuild(const LineStore& lines) {
    ScanState state;
    std::vector<ProcInfo> out;
    procs_.clear();
    shiftFrom_ = 0;
    shiftBy_ = 0;
    Scan(lines, 1, state, out, lines.Count() + 1, 0, 0);
    // Without the room the growing left: a project's modules keep their
    // indexes for the whole command.
    out.shrink_to_fit();
    procs_ = std::move(out);
    declarationLines_ = state.lastDeclarationCode;
    ++version_;
    ++namesVersion_;
    InvalidateNames();
}

void ProcedureIndex::Adopt(ProcedureIndex&& built) {
    built.MoveShift(built.procs_.size());
    procs_ = std::move(built.procs_);
    shiftFrom_ = 0;
    shiftBy_ = 0;
    declarationLines_ = built.declarationLines_;
    // The versions stay this index's own, so that what was built on the
    // old procedures is known to be out of date.
    ++version_;
    ++namesVersion_;
    InvalidateNames();
}

void ProcedureIndex::MoveShift(size_t index) const {
    index = std::min(index, procs_.size());
    if (shiftBy_ != 0) {
        for (size_t i = shiftFrom_; i < index; ++i) Move(procs_[i], shiftBy_);
        for (size_t i = index; i < shiftFrom_; ++i) Move(procs_[i], -shiftBy_);
    }
    shiftFrom_ = index;
}

const std::vector<ProcInfo>& ProcedureIndex::Procs() const {
    MoveShift(procs_.size());
    return procs_;
}

const ProcInfo& ProcedureIndex::At(size_t index) const {
    if (index >= shiftFrom_) MoveShift(index + 1);
    return procs_[index];
}

size_t ProcedureIndex::FirstReaching(long line,
                                     long (ProcedureIndex::*lineOf)(size_t) const) const {
    // Declaration and closing lines both rise with the index.
    size_t lo = 0, hi = procs_.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if ((this->*lineOf)(mid) < line)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void ProcedureIndex::EndOfDeclaration(std::string_view line, long i, ScanState& state,
                                      std::vector<ProcInfo>& out) {
    // A procedure written on one line with its closing statement ends here.
    if (state.inFirstDeclaration && ClosesProcedureAtEnd(line)) {
        ProcInfo& p = out[static_cast<size_t>(state.open)];
        p.end = i;
        p.closed = true;
        state.open = -1;
    }
    state.inDeclarationHeader = false;
    state.inFirstDeclaration = false;
}

size_t ProcedureIndex::Scan(const LineStore& lines, long from, ScanState& state,
                            std::vector<ProcInfo>& out, long syncAfter, size_t oldFrom,
                            size_t oldCount) {
    const long n = lines.Count();
    size_t o = oldFrom;
    bool continuedIsCode = false;
    for (long i = from; i <= n; ++i) {
        const std::string_view line = lines.Line(i - 1);
        const bool continued = IsContinued(line);
        if (state.previousContinued) {
            // A continuation line belongs to the statement above it.
            if (state.inDeclarationHeader) {
                out[static_cast<size_t>(state.open)].declEnd = i;
                if (!continued) EndOfDeclaration(line, i, state, out);
            }
            if (state.beforeFirstProc && continuedIsCode) state.lastDeclarationCode = i;
            state.previousContinued = continued;
            continue;
        }
        const std::string_view t = SkipBlanks(line);
        if (t.empty()) continue;
        if (IsCommentStart(t)) {
            continuedIsCode = false;
            state.previousContinued = continued;
            continue;
        }
        continuedIsCode = false;
        // (The inline tests turn away most lines before they are parsed.)
        std::optional<ProcDeclaration> decl;
        if (MayDeclareProcedure(t)) decl = ParseProcDeclaration(t);
        if (decl) {
            if (state.open >= 0 && state.conditional.AcceptsAlternative()) {
                ProcInfo& p = out[static_cast<size_t>(state.open)];
                if (p.kind == decl->kind && text::EqualsIgnoreCase(p.name, decl->name)) {
                    // Another branch's declaration of the same procedure.
                    p.alternatives.push_back(i);
                    p.declEnd = i;
                    state.conditional.OnAlternative();
                    state.inDeclarationHeader = continued;
                    state.previousContinued = continued;
                    continue;
                }
            }
            if (i > syncAfter) {
                while (o < oldCount && Body(o) < i) ++o;
                if (o < oldCount && Body(o) == i) {
                    // From here on the old reading still holds.
                    if (state.open >= 0) out[static_cast<size_t>(state.open)].end = i - 1;
                    state.beforeFirstProc = false;
                    return o;
                }
            }
            if (state.open >= 0) out[static_cast<size_t>(state.open)].end = i - 1;  // never closed
            state.beforeFirstProc = false;
            ProcInfo info;
            info.name = std::move(decl->name);
            info.kind = decl->kind;
            info.scope = decl->scope;
            info.isProperty = decl->isProperty;
            info.body = info.declEnd = info.end = i;
            out.push_back(std::move(info));
            state.open = static_cast<long>(out.size()) - 1;
            state.conditional = ConditionalDeclaration();
            state.inDeclarationHeader = true;
            state.inFirstDeclaration = true;
            if (!continued) EndOfDeclaration(line, i, state, out);
        } else if (state.open >= 0 && t[0] == '#') {
            const Directive directive = ReadDirective(t);
            ProcInfo& p = out[static_cast<size_t>(state.open)];
            if (state.conditional.OnDirective(directive, i) && !p.alternatives.empty()) {
                p.declEnd = i;  // the #End If that closes the alternatives
            }
        } else if (state.open >= 0 && MayEndProcedure(t) && IsProcEnd(t)) {
            ProcInfo& p = out[static_cast<size_t>(state.open)];
            p.end = i;
            p.closed = true;
            state.open = -1;
        } else if (state.beforeFirstProc) {
            state.lastDeclarationCode = i;
            continuedIsCode = true;
        }
        state.previousContinued = continued;
    }
    if (state.open >= 0) out[static_cast<size_t>(state.open)].end = n;
    return oldCount;
}

void ProcedureIndex::Reindex(const LineStore& lines, long damageStart, long damageEnd) {
    // The anchor: the last closed procedure wholly above the damaged lines.
    long anchor = static_cast<long>(FirstReaching(damageStart, &ProcedureIndex::End)) - 1;
    while (anchor >= 0 && !procs_[static_cast<size_t>(anchor)].closed) --anchor;
    ScanState state;
    long from = 1;
    if (anchor >= 0) {
        from = End(static_cast<size_t>(anchor)) + 1;
        state.beforeFirstProc = false;
    }
    // Read again from the anchor down to the first procedure that reads as
    // before, and splice the new reading in place of the old one.
    std::vector<ProcInfo> fresh;
    const size_t first = static_cast<size_t>(anchor + 1);
    const size_t sync = Scan(lines, from, state, fresh, damageEnd, first, procs_.size());
    if (anchor < 0) declarationLines_ = state.lastDeclarationCode;
    MoveShift(sync);
    const auto begin = procs_.begin() + static_cast<long>(first);
    const size_t replaced = sync - first;
    bool sameNames = fresh.size() == replaced;
    for (size_t i = 0; sameNames && i < replaced; ++i) {
        sameNames = SameIdentity(procs_[first + i], fresh[i]);
    }
    const size_t common = std::min(replaced, fresh.size());
    std::move(fresh.begin(), fresh.begin() + static_cast<long>(common), begin);
    if (fresh.size() > replaced) {
        procs_.insert(begin + static_cast<long>(common),
                      std::make_move_iterator(fresh.begin() + static_cast<long>(common)),
                      std::make_move_iterator(fresh.end()));
    } else {
        procs_.erase(begin + static_cast<long>(common), begin + static_cast<long>(replaced));
    }
    shiftFrom_ = first + fresh.size();
    ++version_;
    if (!sameNames) {
        ++namesVersion_;
        InvalidateNames();
    }
}

void ProcedureIndex::OnInserted(const LineStore& lines, long line, long count) {
    if (count <= 0) return;
    if (PassedOver(lines, line, count)) {
        // The procedures only move: a reading of the lines around would
        // find them as they were.
        const size_t below = FirstReaching(line, &ProcedureIndex::Body);
        MoveForInserted(line, count);
        // A procedure never closed ends above the next declaration (or at
        // the last line), below the new lines.
        ProcInfo& above = procs_[below - 1];
        if (!above.closed && above.end < line) above.end += count;
        ++version_;
        return;
    }
    MoveForInserted(line, count);
    Reindex(lines, line, line + count);
}

bool ProcedureIndex::PassedOver(const LineStore& lines, long line, long count) const {
    // Below a procedure's declaration (the lines above them read as before)
    // and below a line that does not continue, so that the new lines start
    // a statement of their own.
    if (procs_.empty() || Body(0) >= line || IsContinued(lines.Line(line - 2))) return false;
    // Read as Scan reads them: no statement declares or closes a procedure
    // or is a directive (the only statements it marks below the first
    // declaration), and the last line does not continue onto the line below
    // them, which so reads as before.
    bool previousContinued = false;
    for (long i = line; i < line + count; ++i) {
        const std::string_view text = lines.Line(i - 1);
        const bool continued = IsContinued(text);
        if (previousContinued) {
            previousContinued = continued;
            continue;
        }
        const std::string_view t = SkipBlanks(text);
        if (t.empty()) continue;
        if (!PassedOverStatement(t)) return false;
        previousContinued = continued;
    }
    return !previousContinued;
}

bool ProcedureIndex::PassedOverStatement(std::string_view t) {
    return IsCommentStart(t) ||
           !(t[0] == '#' || (MayDeclareProcedure(t) && ParseProcDeclaration(t)) ||
             (MayEndProcedure(t) && IsProcEnd(t)));
}

bool ProcedureIndex::ReplacedInBody(const LineStore& lines, long line, long oldCount,
                                    long newCount) const {
    if (!PassedOver(lines, line, newCount)) return false;
    // The lines taken out lay in the body of one closed procedure, below its
    // declaration and above its closing line: none of them declared or
    // closed a procedure (it would not be one then). Its declaration has no
    // alternatives, whose end an #End If among them could have moved.
    const size_t p = FirstReaching(line, &ProcedureIndex::Body) - 1;
    const long end = End(p);
    if (!procs_[p].closed || !procs_[p].alternatives.empty() || DeclEnd(p) >= line ||
        end < line + oldCount) {
        return false;
    }
    // The line below them may have continued the last of them: it reads as
    // a statement now and must be passed over as one (the closing line did
    // not continue one).
    const long below = line + newCount;
    if (end == line + oldCount) return true;
    if (below > lines.Count()) return false;
    const std::string_view t = SkipBlanks(lines.Line(below - 1));
    return t.empty() || PassedOverStatement(t);
}

void ProcedureIndex::MoveForInserted(long line, long count) {
    const size_t below = FirstReaching(line, &ProcedureIndex::Body);
    MoveShift(below);
    shiftBy_ += count;
    // The procedure the lines went into (its declaration stays above them).
    for (size_t i = below; i-- > 0 && procs_[i].end >= line;) {
        if (procs_[i].declEnd >= line) procs_[i].declEnd += count;
        procs_[i].end += count;
        for (long& alternative : procs_[i].alternatives) {
            if (alternative >= line) alternative += count;
        }
    }
    if (declarationLines_ >= line) declarationLines_ += count;
}

void ProcedureIndex::OnDeleted(const LineStore& lines, long line, long count) {
    if (count <= 0) return;
    const bool inBody = ReplacedInBody(lines, line, count, 0);
    MoveForDeleted(line, count);
    if (inBody) {
        ++version_;
        return;
    }
    Reindex(lines, line, line);
}

void ProcedureIndex::OnReplaced(const LineStore& lines, long line, long oldCount, long newCount) {
    if (oldCount <= 0 && newCount <= 0) return;
    // Lines of a routine's body put in place of others (a routine numbered
    // or tidied) only move the procedures below them.
    const bool inBody = oldCount > 0 && ReplacedInBody(lines, line, oldCount, newCount);
    // One reading for both, so that a routine put back in place of itself
    // keeps its name in the index.
    if (oldCount > 0) MoveForDeleted(line, oldCount);
    if (newCount > 0) MoveForInserted(line, newCount);
    if (inBody) {
        ++version_;
        return;
    }
    Reindex(lines, line, line + newCount);
}

void ProcedureIndex::MoveForDeleted(long line, long count) {
    const size_t below = FirstReaching(line + count, &ProcedureIndex::Body);
    MoveShift(below);
    shiftBy_ -= count;
    // The procedures that had lines among the deleted ones.
    for (size_t i = below; i-- > 0 && procs_[i].end >= line;) {
        for (long* v : {&procs_[i].body, &procs_[i].declEnd, &procs_[i].end}) {
            if (*v >= line + count)
                *v -= count;
            else if (*v >= line)
                *v = line;
        }
        for (long& v : procs_[i].alternatives) {
            if (v >= line + count)
                v -= count;
            else if (v >= line)
                v = line;
        }
    }
    if (declarationLines_ >= line + count) declarationLines_ -= count;
    else if (declarationLines_ >= line) declarationLines_ = line - 1;
}

void ProcedureIndex::InvalidateNames() const {
    byNameValid_ = false;
    byName_.clear();
    lastValid_ = false;
}

void ProcedureIndex::IndexNames() const {
    if (byNameValid_) return;
    byName_.resize(procs_.size());
    for (size_t i = 0; i < procs_.size(); ++i) byName_[i] = static_cast<std::uint32_t>(i);
    // The copies of a name and kind stand together, in the module's order.
    std::sort(byName_.begin(), byName_.end(), [&](std::uint32_t a, std::uint32_t b) {
        const int c = CompareNames(procs_[a].name, procs_[b].name);
        if (c != 0) return c < 0;
        if (procs_[a].kind != procs_[b].kind) return procs_[a].kind < procs_[b].kind;
        return a < b;
    });
    byNameValid_ = true;
}

std::pair<size_t, size_t> ProcedureIndex::NameRange(std::string_view name, int kind) const {
    IndexNames();
    if (lastValid_ && lastKind_ == kind && lastName_ == name) return lastRange_;
    const auto first = std::lower_bound(
        byName_.begin(), byName_.end(), 0,
        [&](std::uint32_t i, int) { return Before(procs_[i], name, kind); });
    auto last = first;
    while (last != byName_.end() && procs_[*last].kind == kind &&
           CompareNames(procs_[*last].name, name) == 0) {
        ++last;
    }
    lastName_.assign(name);
    lastKind_ = kind;
    lastRange_ = {static_cast<size_t>(first - byName_.begin()), static_cast<size_t>(last - byName_.begin())};
    lastValid_ = true;
    return lastRange_;
}

long ProcedureIndex::Find(std::string_view name, int kind, long copy) const {
    const auto [first, last] = NameRange(name, kind);
    const size_t k = copy > 0 ? static_cast<size_t>(copy) : 0;
    if (k >= last - first) return -1;
    return byName_[first + k];
}

long ProcedureIndex::Copies(std::string_view name, int kind) const {
    const auto [first, last] = NameRange(name, kind);
    return static_cast<long>(last - first);
}

long ProcedureIndex::CopyOf(size_t index) const {
    if (index >= procs_.size()) return 0;
    const auto [first, last] = NameRange(procs_[index].name, procs_[index].kind);
    for (size_t k = first; k < last; ++k) {
        if (byName_[k] == index) return static_cast<long>(k - first);
    }
    return 0;
}

long ProcedureIndex::FirstNamed(std::string_view name) const {
    IndexNames();
    auto at = std::lower_bound(byName_.begin(), byName_.end(), 0, [&](std::uint32_t i, int) {
        return CompareNames(procs_[i].name, name) < 0;
    });
    long least = -1;
    for (; at != byName_.end() && CompareNames(procs_[*at].name, name) == 0; ++at) {
        const long position = static_cast<long>(*at);
        if (least < 0 || position < least) least = position;
    }
    return least;
}

std::vector<bool> ProcedureIndex::FirstOfEachName() const {
    IndexNames();
    std::vector<bool> first(procs_.size(), false);
    for (size_t k = 0; k < byName_.size();) {
        std::uint32_t least = byName_[k];
        size_t end = k + 1;
        while (end < byName_.size() &&
               CompareNames(procs_[byName_[end]].name, procs_[byName_[k]].name) == 0) {
            least = std::min(least, byName_[end++]);
        }
        first[least] = true;
        k = end;
    }
    return first;
}

long ProcedureIndex::StartLine(size_t index) const {
    return index == 0 ? declarationLines_ + 1 : End(index - 1) + 1;
}

long ProcedureIndex::CountLines(size_t index, long totalLines) const {
    const long last = index + 1 == procs_.size() ? totalLines : End(index);
    return last - StartLine(index) + 1;
}

long ProcedureIndex::ProcOfLine(long line, long totalLines) const {
    if (procs_.empty() || line < 1 || line > totalLines || line <= declarationLines_) return -1;
    // The last procedure whose block starts at or above the line.
    size_t lo = 0, hi = procs_.size();
    while (hi - lo > 1) {
        const size_t mid = (lo + hi) / 2;
        if (StartLine(mid) <= line) lo = mid;
        else hi = mid;
    }
    return static_cast<long>(lo);
}

}  // namespace qv::host::memory
