// What the browser tests share: a web server on loopback over a folder
// (python3's http.server, as `make web-serve` runs it), one that answers
// some paths as a broken server would, Debian's chromium driven by
// puppeteer-core, and a page that records its console errors.
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import { createReadStream, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize } from 'node:path';
import puppeteer from 'puppeteer-core';

export const chromiumPath = process.env.VG_CHROMIUM || '/usr/bin/chromium';

// The same server, sending the two headers that isolate the page from other
// origins: only then does chromium's performance.now() count in 5 us steps
// instead of 100 us, fine enough to time one frame.
const isolatingServer = `
import http.server
class Handler(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        self.send_header('Cross-Origin-Opener-Policy', 'same-origin')
        self.send_header('Cross-Origin-Embedder-Policy', 'require-corp')
        super().end_headers()
http.server.test(HandlerClass=Handler, port=0, bind='127.0.0.1')
`;

// Serves `folder` on a free loopback port; resolves to {url, stop}.
export async function serve(folder, { isolated = false } = {}) {
  const command = isolated ? ['-u', '-c', isolatingServer]
                           : ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1'];
  const server = spawn('python3', command, { cwd: folder, stdio: ['ignore', 'pipe', 'pipe'] });
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

const contentTypes = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.json': 'application/json',
};

// Serves `folder` as serve() does, except: `replies` maps paths
// ('/show/content.json') to the text sent instead, and the transfer of the
// path `stall` stops after `stallAfter` bytes, its connection left open.
// Resolves to {url, stalled (resolves once those bytes went), stop}.
export async function serveBroken(folder, { replies = {}, stall = null, stallAfter = 0 } = {}) {
  let stalledNow;
  const stalled = new Promise((resolve) => { stalledNow = resolve; });
  const server = createServer((request, response) => {
    const path = new URL(request.url, 'http://localhost').pathname;
    if (path in replies) {
      response.writeHead(200, { 'Content-Type': 'application/json' });
      response.end(replies[path]);
      return;
    }
    const file = join(folder, normalize(path === '/' ? '/index.html' : path));
    let size;
    try {
      size = statSync(file).size;
    } catch {
      response.writeHead(404);
      response.end();
      return;
    }
    const type = contentTypes[extname(file)] || 'application/octet-stream';
    response.writeHead(200, { 'Content-Type': type, 'Content-Length': size });
    if (path !== stall) {
      createReadStream(file).pipe(response);
      return;
    }
    const part = createReadStream(file, { end: stallAfter - 1 });
    part.on('end', stalledNow);
    part.pipe(response, { end: false });
  });
  const sockets = new Set();
  server.on('connection', (socket) => {
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
  });
  server.listen(0, '127.0.0.1');
  await once(server, 'listening');
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    stalled,
    async stop() {
      for (const socket of sockets) socket.destroy();
      server.close();
      await once(server, 'close');
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

// A page whose console errors and uncaught exceptions are collected; with
// `ready` false it is not waited for.
export async function openPage(browser, url, { width = 1280, height = 800, ready = true } = {}) {
  const page = await browser.newPage();
  const errors = [];
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  page.on('pageerror', (error) => errors.push(String(error)));
  page.on('requestfailed', (request) => errors.push(`request failed: ${request.url()}`));
  await page.setViewport({ width, height });
  await page.goto(url, { waitUntil: 'load' });
  if (ready)
    await page.waitForFunction(() => window.vesper && window.vesper.ready, { timeout: 120000 });
  return { page, errors };
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
