#include "analysis/routine_shape.h"

#include <algorithm>

#include "host/memory/memory_host.h"
#include "host/procedure_shape.h"
#include "host/received_line.h"
#include "platform/line_views.h"
#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::analysis {

namespace {

// One line as Lines(line, 1) gives it, without a copy (see LineText in
// routine_parsing.cpp): a line past the end is empty text.
std::string_view LineText(host::CodeModule& module, long line) {
    if (line >= 1 && line <= module.CountOfLines()) return module.LineView(line);
    if (line < 1) module.Lines(line, 1);  // raises as Lines does
    return {};
}

// Some line from `from` to `to` holds a "#" (as the host's search for it,
// case and words not minded, would find).
bool HoldsHash(host::CodeModule& module, long from, long to) {
    const long last = std::min(to, module.CountOfLines());
    if (const auto* memory = dynamic_cast<const host::memory::MemoryCodeModule*>(&module)) {
        return memory->AnyLineHolds(std::max(from, 1L), last, '#');
    }
    for (long l = std::max(from, 1L); l <= last; ++l) {
        if (module.LineView(l).find('#') != std::string_view::npos) return true;
    }
    return false;
}

}  // namespace

RoutineShape ReadRoutineShape(host::CodeModule& module, std::string_view name, int kind) try {
    RoutineShape shape;
    shape.body = module.ProcBodyLine(name, kind);
    const long start = shape.start = module.ProcStartLine(name, kind);
    const long blockEnd = shape.blockEnd = start + module.ProcCountLines(name, kind) - 1;
    // Most routines hold no directive: their declaration is its statement
    // and continuation lines, and any #If around them nests. (Found by the
    // host's search, without reading the routine's text.)
    if (!HoldsHash(module, shape.body, blockEnd)) {
        long end = shape.body;
        std::string_view last = LineText(module, end);
        while (end < blockEnd && host::IsContinuedLine(last)) last = LineText(module, ++end);
        shape.firstDeclarationEnd = shape.declarationEnd = end;
        shape.oneLine = host::ClosesProcedureAtEnd(last);
        // Closed: the block's last line that is neither blank nor a comment
        // is its closing line (only comments may follow a routine).
        long closing = blockEnd;
        while (closing > end && host::IsBlankOrComment(LineText(module, closing))) --closing;
        // (A line that continues the one above it closes nothing.)
        shape.closed =
            shape.oneLine || (closing > end && host::IsProcedureEnd(LineText(module, closing)) &&
                              !host::IsContinuedLine(LineText(module, closing - 1)));
        return shape;
    }
    const std::string block = module.Lines(shape.body, blockEnd - shape.body + 1);
    const host::ProcedureShape read = host::ReadProcedureShape(text::SplitLineViews(block), [&] {
        return host::IfStandsAbove([&](long l) { return module.Lines(l, 1); }, shape.body);
    });
    shape.firstDeclarationEnd = shape.body + read.firstDeclarationEnd;
    shape.declarationEnd = shape.body + read.declarationEnd;
    for (long alternative : read.alternatives)
        shape.alternatives.push_back(shape.body + alternative);
    shape.oneLine = read.oneLine;
    shape.closed = read.closing >= 0;
    shape.nests = read.nests;
    return shape;
}
QV_PASS_UP("AddIn", "ReadRoutineShape")

std::string ChangeRefusal(const RoutineShape& shape, std::string_view name) {
    const std::string routine(name);
    if (shape.oneLine) {
        return routine +
               " is written on one line with its body and closing statement, so there is no "
               "body to change: put its statements on lines of their own first";
    }
    if (!shape.closed) {
        return routine +
               " has no closing line of its own, so there is no end to put code "
               "above: add its End line first";
    }
    if (!shape.nests) {
        return "the #If ... #End If lines around " + routine +
               " do not nest inside it (a branch opens or closes outside the routine), so code "
               "put into it could land in the wrong branch: change it by hand";
    }
    return {};
}

std::string ChangeRefusal(host::CodeModule& module, std::string_view name, int kind) try {
    return ChangeRefusal(ReadRoutineShape(module, name, kind), name);
}
QV_PASS_UP("AddIn", "ChangeRefusal")

}  // namespace qv::analysis
