// Inserting a handler with marked templates into every routine that takes
// one and removing them again gives back every module byte for byte; in
// between, every inserted handler reads OK / OK. The standard handler over
// modules of every kind and shape is the property runs' add then remove.

#include "errorhandling/templates.h"
#include "handler_test_support.h"
#include "host/memory/memory_host.h"

namespace qv::errorhandling::test {
namespace {

class RoundTrip : public HandlerTest {
protected:
    // Inserts into every routine of the module that takes the standard
    // handler; returns the routines that got one.
    analysis::RoutineList InsertAll(host::VBE& vbe, host::memory::MemoryComponent& component) {
        analysis::RoutineList inserted;
        host::CodeModule& module = *component.Code();
        for (const analysis::RoutineEntry& r : Routines(vbe, component)) {
            host::Member& member = module.Members().Item(r.name);
            // The terminate block has neither markers nor the On Error line
            // to the error label: the remover leaves it (tested on its own).
            if (IsTermimate(member)) continue;
            std::string message;
            if (AddRoutineErrorHandling(member, r.kind, Settings(), message))
                inserted.push_back(r);
        }
        return inserted;
    }

    void ExpectRoundTrip(host::memory::MemoryComponent& component, size_t minimumInserted) {
        host::CodeModule& module = *component.Code();
        const std::string original = module.Lines(1, module.CountOfLines());
        const analysis::RoutineList inserted = InsertAll(fx.Vbe(), component);
        EXPECT_GE(inserted.size(), minimumInserted) << component.Name();
        for (const analysis::RoutineEntry& r : inserted) {
            std::string fullText;
            const std::string body = analysis::RemoveComments(module, r.name, r.kind, fullText);
            const analysis::StatusPair status =
                analysis::GetRoutineStatus(module, r.name, r.kind, body, Settings());
            EXPECT_EQ(status, (analysis::StatusPair{0, 0})) << component.Name() << "." << r.name;
        }
        for (const analysis::RoutineEntry& r : inserted) {
            RemoveOld(module.Members().Item(r.name), r.kind, Settings());
        }
        EXPECT_EQ(module.Lines(1, module.CountOfLines()), original) << component.Name();
    }

    static analysis::RoutineList Routines(host::VBE& vbe,
                                          host::memory::MemoryComponent& component) {
        analysis::RoutineList names;
        analysis::GetRoutineNames(vbe, component.Collection().Parent().Name(), component.Name(),
                                  names, false);
        names.erase(names.begin());  // (Declarations)
        return names;
    }
};


TEST_F(RoundTrip, WithMarkedTemplates) {
    settings::SettingsRecord& s = Settings();
    s.add0 = "Trace \"%m.%r\"";
    s.add1 = "Dim started As Date\r\nstarted = Now";
    s.add2 = "Set x = Nothing";
    ExpectRoundTrip(
        fx.Add("modA", host::vbext_ct_StdModule,
               Vb({"Sub A()", "' c", "", "    Beep", "End Sub", "Function B(x)", "End Function",
                   "Property Get C() As Long", "    C = 1", "End Property"})),
        3);
}

}  // namespace
}  // namespace qv::errorhandling::test
