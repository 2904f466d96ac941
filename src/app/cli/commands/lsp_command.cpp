// qvaddin lsp: the language server over standard input and output, for
// editors that speak the Language Server Protocol. The editor starts it and
// talks to it; nobody types at it.

#include "app/cli/command.h"
#include "lsp/stdio_server.h"

namespace qv::cli {

namespace {

class LspCommand : public Command {
  public:
    std::string Name() const override { return "lsp"; }
    std::string Summary() const override {
        return "Run the language server over standard input and output (started by an editor).";
    }
    void AddOptions(OptionParser& parser) const override {
        // Appended, not joined with +: GCC 12 warns falsely (-Warray-bounds)
        // on moving a joined string this long.
        std::string description = Summary();
        description.append(
            "\n\n"
            "An editor with a Language Server Protocol client starts `qvaddin lsp` as the\n"
            "server of VB5/6 files (.bas .cls .frm .ctl .pag .dob .dsr) and speaks JSON-RPC\n"
            "with it over the pipe; standard error carries nothing the editor needs. For a\n"
            "document it opens the nearest .vbp above it that lists the file (else the module\n"
            "alone) and offers: diagnostics from the error-handling status of every routine,\n"
            "code actions (add, replace or remove error handling, add or remove line numbers,\n"
            "tidy: for the routine at the cursor or the whole module), formatting (tidy),\n"
            "document and workspace symbols, hover, references and search.\n\n"
            "initializationOptions (all optional):\n"
            "  {\"severities\": {\"MISSING\": \"error\", \"SOME\": \"hint\", ...},\n"
            "   \"settings\": {\"label1\": \"Exit_Here\", ...},   the stored settings, overridden\n"
            "   \"matchCase\": false,                            search\n"
            "   \"referencesInCommentsAndStrings\": false}       references also in comments\n"
            "                                                  and string literals\n\n"
            "Ready set-ups for Neovim, Helix and VS Code are in the project's editors/ folder\n"
            "(installed under share/); see the README.\n\n"
            "Exit codes: 0 after the editor's shutdown and exit; 1 when the input ended or exit\n"
            "came without shutdown.");
        parser.SetDescription(description);
    }
    int Run(CommandContext& context) override {
        if (!context.arguments.empty()) {
            throw CliError(kExitUsage, "lsp takes no arguments: the editor sends the documents");
        }
        context.out.flush();
        return lsp::Serve(0, 1);
    }
};

}  // namespace

QV_REGISTER_COMMAND("lsp", LspCommand);

}  // namespace qv::cli
