// Starts `quorlin-validate --lsp` for QuorlinServer config files; everything else (diagnostics,
// completion, hover, outline, quick fixes) comes from the server.
import * as vscode from 'vscode';
import { LanguageClient, LanguageClientOptions, ServerOptions } from 'vscode-languageclient/node';

let client: LanguageClient | undefined;

function serverOptions(): ServerOptions {
  const path = vscode.workspace.getConfiguration('quorlin').get<string>('path');
  return { command: path || 'quorlin-validate', args: ['--lsp'] };
}

async function start(): Promise<void> {
  const clientOptions: LanguageClientOptions = {
    documentSelector: [{ language: 'quorlin-config' }],
    initializationOptions: {
      dpLists: vscode.workspace.getConfiguration('quorlin').get<string[]>('dpLists', []),
    },
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
  context.subscriptions.push(
    vscode.workspace.onDidChangeConfiguration(async (event) => {
      // Another program needs another server process.
      if (event.affectsConfiguration('quorlin.path')) {
        await client?.stop();
        await start();
      }
    }),
  );
  await start();
}

export function deactivate(): Thenable<void> | undefined {
  return client?.stop();
}
