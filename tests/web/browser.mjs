// What the browser tests share: a web server on loopback over a folder
// (python3's http.server, as `make web-serve` runs it), Debian's chromium
// driven by puppeteer-core, and a page that records its console errors.
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import puppeteer from 'puppeteer-core';

export const chromiumPath = process.env.VG_CHROMIUM || '/usr/bin/chromium';

// Serves `folder` on a free loopback port; resolves to {url, stop}.
export async function serve(folder) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1'],
                       { cwd: folder, stdio: ['ignore', 'pipe', 'pipe'] });
  let output = '';
  const port = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`no server: ${output}`)), 15000);
    server.stdout.on('data', (chunk) => {
      output += chunk;
      const match = /port (\d+)/.exec(output);
      if (match) {
        clearTimeout(timer);
        resolve(Number(match[1]));
      }
    });
    server.on('exit', (code) => reject(new Error(`server exited with ${code}: ${output}`)));
  });
  server.stderr.resume();  // the request log
  return {
    url: `http://127.0.0.1:${port}/`,
    async stop() {
      server.kill();
      await once(server, 'exit');
    },
  };
}

export async function launch() {
  return puppeteer.launch({
    executablePath: chromiumPath,
    headless: true,
    args: [
      '--no-sandbox',  // the tests run as root
      // Sound may start without a real user's gesture (the tests' keys are
      // synthetic).
      '--autoplay-policy=no-user-gesture-required',
      '--mute-audio',
    ],
  });
}

// A page whose console errors and uncaught exceptions are collected.
export async function openPage(browser, url, { width = 1280, height = 800 } = {}) {
  const page = await browser.newPage();
  const errors = [];
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  page.on('pageerror', (error) => errors.push(String(error)));
  page.on('requestfailed', (request) => errors.push(`request failed: ${request.url()}`));
  await page.setViewport({ width, height });
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => window.vesper && window.vesper.ready, { timeout: 120000 });
  return { page, errors };
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
