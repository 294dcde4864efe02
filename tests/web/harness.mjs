// Serves dist/web on 127.0.0.1 at a random port and opens pages in Debian's chromium, headless, with a fresh profile.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromium } from 'playwright-core';

export async function serve(root) {
  for (let attempt = 0; attempt < 10; attempt++) {
    const port = 20000 + Math.floor(Math.random() * 30000);
    const server = spawn('python3', ['-m', 'http.server', '--bind', '127.0.0.1', String(port)], { cwd: root, stdio: 'ignore' });
    let exited = false;
    server.on('exit', () => { exited = true; });
    for (let wait = 0; wait < 100 && !exited; wait++) { // the port answers once the server runs
      try {
        await fetch(`http://127.0.0.1:${port}/`);
        return { url: `http://127.0.0.1:${port}/`, stop: () => server.kill() };
      } catch { await new Promise((r) => setTimeout(r, 100)); }
    }
    server.kill();
  }
  throw new Error('no free port for the web server');
}

export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'dravolinex-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium', headless: true,
    args: ['--no-sandbox', '--headless=new', '--disable-gpu', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-first-run'],
    viewport: { width: 800, height: 600 },
  });
  return { context, close: async () => { await context.close(); rmSync(profile, { recursive: true, force: true }); } };
}
