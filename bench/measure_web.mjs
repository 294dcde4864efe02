// Measures the browser game: the download (dravolinex.wasm + dravolinex.js, raw and gzipped) against the budget of
// 1.5 MB raw and 600 KB gzipped, and the time from navigation to the first frame on the screen together with the CPU
// time the page's main thread spent until then (medians of 7 loads in headless chromium, each in a fresh profile).
// Exits non-zero when the sizes are over budget; the times are reported.
//   node bench/measure_web.mjs        (after scripts/build-web.sh --test-hooks, with tests/web's npm packages installed)
import { readFileSync } from 'node:fs';
import { gzipSync } from 'node:zlib';

const root = new URL('../', import.meta.url).pathname;
// The harness (and so playwright-core) lives with the browser tests.
const { launch, serve } = await import(root + 'tests/web/harness.mjs');

// The players' page (dist/web) is measured; the times on the test build beside it, whose hook notes the first frame.
const files = ['dravolinex.wasm', 'dravolinex.js'].map((f) => readFileSync(root + 'dist/web/' + f));
const raw = files.reduce((n, b) => n + b.length, 0);
const gzipped = files.reduce((n, b) => n + gzipSync(b, { level: 9 }).length, 0);
const kb = (n) => (n / 1024).toFixed(1) + ' KB';
console.log(`download: ${kb(raw)} raw (budget 1536 KB), ${kb(gzipped)} gzipped (budget 600 KB)`);

const server = await serve(root + 'dist/web-test');
const times = [], busy = [];
try {
  for (let i = 0; i < 7; i++) {
    const browser = await launch();
    const page = await browser.context.newPage();
    const cdp = await browser.context.newCDPSession(page);
    await cdp.send('Performance.enable');
    await page.goto(server.url + '?test');
    // performance.now() counts from the navigation's start; the page notes it when the first frame is drawn.
    await page.waitForFunction(() => window.dravolinexTest && dravolinexTest.firstFrameAt > 0, null, { timeout: 60000 });
    times.push(await page.evaluate(() => dravolinexTest.firstFrameAt));
    // The CPU time of the page's main thread until then (slightly after): what a quiet machine would take at least.
    const { metrics } = await cdp.send('Performance.getMetrics');
    busy.push(metrics.find((m) => m.name === 'ThreadTime').value * 1000);
    await browser.close();
  }
} finally {
  server.stop();
}
times.sort((a, b) => a - b);
busy.sort((a, b) => a - b);
console.log(`first frame after navigation: median ${times[3].toFixed(0)} ms (fastest ${times[0].toFixed(0)}, ` +
            `slowest ${times[6].toFixed(0)}; target 1000 ms); CPU time of the page's main thread ${busy[3].toFixed(0)} ms ` +
            `of it (median)`);
process.exit(raw <= 1536 * 1024 && gzipped <= 600 * 1024 ? 0 : 1);
