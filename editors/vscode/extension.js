// A thin client over the qvaddin language server (`qvaddin lsp`): every
// feature comes from the server; this file only starts it for VB module
// files with the user's settings, and starts it again when they change.
"use strict";

const vscode = require("vscode");
const { LanguageClient } = require("vscode-languageclient/node");

let client = null;

// The server's initialization options: the free-form ones, with the code
// page setting on top.
function initializationOptions(config) {
  const options = Object.assign({}, config.get("initializationOptions") || {});
  const codePage = config.get("codePage");
  if (Number.isInteger(codePage) && codePage > 0) {
    options.codePage = codePage;
  }
  return options;
}

function newClient() {
  const config = vscode.workspace.getConfiguration("qvaddin");
  const serverOptions = {
    command: config.get("serverPath") || "qvaddin",
    args: ["lsp"],
  };
  const clientOptions = {
    documentSelector: [{ scheme: "file", language: "vb" }],
    initializationOptions: initializationOptions(config),
  };
  return new LanguageClient("qvaddin", "qvaddin", serverOptions, clientOptions);
}

async function restart() {
  if (client) {
    await client.stop();
  }
  client = newClient();
  await client.start();
}

async function activate(context) {
  context.subscriptions.push(
    vscode.workspace.onDidChangeConfiguration((event) => {
      if (event.affectsConfiguration("qvaddin")) {
        restart().catch((error) => vscode.window.showErrorMessage(`qvaddin: ${error.message}`));
      }
    }),
    vscode.commands.registerCommand("qvaddin.restartServer", restart)
  );
  await restart();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate, initializationOptions };
