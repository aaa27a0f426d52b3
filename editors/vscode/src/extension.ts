// Starts `quorlin-validate --lsp` for QuorlinServer config files; everything else (diagnostics,
// completion, hover, outline, quick fixes) comes from the server. A `.cfg` file is a config only
// inside a project (a .quorlin-validate.toml in its folder or one above) or when quorlin.dpLists
// names DP lists; other `.cfg` files (setup.cfg, say) keep their language and get no server.
import * as fs from 'fs';
import * as path from 'path';
import * as vscode from 'vscode';
import { LanguageClient, LanguageClientOptions, ServerOptions } from 'vscode-languageclient/node';

const kLanguage = 'quorlin-config';
let client: LanguageClient | undefined;

function setting<T>(name: string, fallback: T): T {
  return vscode.workspace.getConfiguration('quorlin').get<T>(name, fallback);
}

function isConfig(file: string): boolean {
  if (!file.endsWith('.cfg')) return false;
  if (setting<string[]>('dpLists', []).length > 0) return true;
  for (let dir = path.dirname(file); ; dir = path.dirname(dir)) {
    if (fs.existsSync(path.join(dir, '.quorlin-validate.toml'))) return true;
    if (path.dirname(dir) === dir) return false;
  }
}

// Gives a config its language, which starts the client for it.
async function claim(document: vscode.TextDocument): Promise<void> {
  if (document.uri.scheme !== 'file' || !isConfig(document.fileName)) return;
  if (document.languageId !== kLanguage) {
    await vscode.languages.setTextDocumentLanguage(document, kLanguage);
  } else if (!client) {
    await start();
  }
}

// The program a platform package brings in server/ (the module and host libraries beside it),
// unless quorlin.path names one; else the one on PATH.
let bundled: string | undefined;

function serverOptions(): ServerOptions {
  return { command: setting('path', '') || bundled || 'quorlin-validate', args: ['--lsp'] };
}

async function start(): Promise<void> {
  const clientOptions: LanguageClientOptions = {
    documentSelector: [{ scheme: 'file', language: kLanguage }],
    initializationOptions: { dpLists: setting<string[]>('dpLists', []) },
    synchronize: {
      // The server reads quorlin.dpLists from this section when it changes.
      configurationSection: 'quorlin',
      fileEvents: vscode.workspace.createFileSystemWatcher('**/{.quorlin-validate.toml,*.dpl}'),
    },
  };
  client = new LanguageClient('quorlin', 'quorlin-validate', serverOptions(), clientOptions);
  await client.start();
}

export async function activate(context: vscode.ExtensionContext): Promise<void> {
  const program = process.platform === 'win32' ? 'quorlin-validate.exe' : 'bin/quorlin-validate';
  const inPackage = path.join(context.extensionPath, 'server', program);
  bundled = fs.existsSync(inPackage) ? inPackage : undefined;
  context.subscriptions.push(
    vscode.workspace.onDidOpenTextDocument(claim),
    vscode.workspace.onDidChangeConfiguration(async (event) => {
      // Another program needs another server process.
      if (event.affectsConfiguration('quorlin.path') && client) {
        await client.stop();
        await start();
      }
      if (event.affectsConfiguration('quorlin.dpLists'))
        await Promise.all(vscode.workspace.textDocuments.map(claim));
    }),
  );
  await Promise.all(vscode.workspace.textDocuments.map(claim));
}

export function deactivate(): Thenable<void> | undefined {
  return client?.stop();
}
