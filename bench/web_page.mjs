// What the web page costs, in headless chromium (Debian's), beside the
// native show in the same run:
//  - per scene, the effects' time per frame and the picture's (the pixels
//    look converted and put on the canvas), median and 99th percentile,
//    against the native show's effects. The native frames come from
//    web_page_native; it and the page's renderer are held on one core and
//    take turns every few frames, so that both meet the same load from the
//    machine's other work, and both are timed by the wall clock (the
//    native processor time, the capture tool's --stats clock, is shown
//    beside). ROUNDS passes over the show;
//    the figures pool every round's frames, and the ratio's lowest and
//    highest round show how steady they were;
//  - the files the page downloads;
//  - from the start gesture to the first frame on screen;
//  - while playing with sound: the offset of the picture against the song
//    as heard, and the CPU the browser uses.
// Usage: node web_page.mjs WEB_BUILD NATIVE_BUILD [ROUNDS]
import { execFileSync, spawn } from 'node:child_process';
import { readFileSync, readdirSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { createInterface } from 'node:readline';

import { serve, launch, openPage, sleep } from './browser.mjs';

const [web, nativeBuild, roundsText = '2'] = process.argv.slice(2);
const rounds = Math.max(1, Number(roundsText) || 1);
const framesPerTurn = 10;
const quantile = (values, q) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
};
const median = (values) => quantile(values, 0.5);
const us = (micros) => micros.toFixed(0).padStart(6);

// web_page_native, started in the show's content folder: its scenes, and
// `frames(from, to)` for each frame's {wall, cpu} microseconds in that stretch.
async function startNative() {
  const child = spawn(join(nativeBuild, 'web_page_native'), [join(nativeBuild, 'show')],
                      { stdio: ['pipe', 'pipe', 'pipe'] });
  let errors = '';
  child.stderr.on('data', (chunk) => { errors += chunk; });
  const lines = createInterface({ input: child.stdout })[Symbol.asyncIterator]();
  const next = async () => {
    const { value, done } = await lines.next();
    if (done) throw new Error(`web_page_native stopped: ${errors}`);
    if (value.startsWith('error')) throw new Error(`web_page_native: ${value}`);
    return value;
  };
  const scenes = [];
  for (let line = await next(); line !== 'ready'; line = await next()) {
    const [, start, end, name] = line.split(' ');
    scenes.push({ start: Number(start), end: Number(end), name });
  }
  return {
    scenes,
    async frames(from, to) {
      child.stdin.write(`${from} ${to}\n`);
      return (await next()).split(' ').map((frame) => {
        const [wall, cpu] = frame.split('/').map(Number);
        return { wall, cpu };
      });
    },
    pid: child.pid,
    stop() { child.stdin.end(); },
  };
}

// One pass over a scene, native and page in turns: the frames' costs, in us.
async function sceneRound(page, native, scene) {
  const costs = { page: [], native: [], nativeCpu: [], picture: [] };
  const last = scene.end - 1;
  for (let i = 0; ; i += framesPerTurn) {
    const from = scene.start + Math.floor(i * 1000 / 60);
    if (from > last) break;
    const to = Math.min(last, scene.start + Math.floor((i + framesPerTurn - 1) * 1000 / 60));
    const nativeFrames = await native.frames(from, to);
    costs.native.push(...nativeFrames.map((c) => c.wall));
    costs.nativeCpu.push(...nativeFrames.map((c) => c.cpu));
    const frames = await page.evaluate((a, b) => window.vesper.timeFrames(a, b, 60), from, to);
    costs.page.push(...frames.map((c) => c.showMs * 1000));
    costs.picture.push(...frames.map((c) => c.drawMs * 1000));
  }
  return costs;
}

// The page's renderers and the native program, every thread, on the first
// core this benchmark may use (`taskset -c N` chooses another). On a
// machine whose cores share their execution units, or whose cores another
// machine's work slows, two cores can differ in speed by half for seconds
// at a time: on two cores the turns alone would not make the figures fair.
async function holdOnOneCore(browser, native) {
  const allowed = /Cpus_allowed_list:\s*(\d+)/.exec(readFileSync('/proc/self/status', 'utf8'));
  const core = allowed ? allowed[1] : '0';
  const session = await browser.target().createCDPSession();
  const { processInfo } = await session.send('SystemInfo.getProcessInfo');
  const pids = processInfo.filter((p) => p.type === 'renderer').map((p) => p.id);
  for (const pid of [...pids, native.pid])
    execFileSync('taskset', ['--all-tasks', '--pid', '--cpu-list', core, String(pid)],
                 { stdio: 'ignore' });
  return core;
}

async function sceneCosts(page, browser) {
  const native = await startNative();
  try {
    const core = await holdOnOneCore(browser, native);
    const scenes = native.scenes.filter((scene) => scene.end > scene.start);
    const pooled = scenes.map(() => ({ page: [], native: [], nativeCpu: [], picture: [],
                                       ratios: [] }));
    for (let round = 0; round < rounds; ++round) {
      for (const [i, scene] of scenes.entries()) {
        const costs = await sceneRound(page, native, scene);
        for (const key of Object.keys(costs)) pooled[i][key].push(...costs[key]);
        pooled[i].ratios.push(median(costs.page) / median(costs.native));
      }
    }
    console.log(`the page's renderer and the native show held on core ${core}`);
    console.log(`scene           effects median/p99 us: page | native | ratio ` +
                `(lowest..highest of ${rounds} rounds) | native CPU | picture median/p99 us`);
    scenes.forEach((scene, i) => {
      const { page: pageCosts, native: nativeCosts, nativeCpu, picture, ratios } = pooled[i];
      const both = (values) => `${us(median(values))} ${us(quantile(values, 0.99))}`;
      console.log(`${String(scene.start).padStart(6)} ${scene.name.padEnd(10)} ` +
                  `${both(pageCosts)} | ${both(nativeCosts)} | ` +
                  `${(median(pageCosts) / median(nativeCosts)).toFixed(2)} ` +
                  `(${Math.min(...ratios).toFixed(2)}..${Math.max(...ratios).toFixed(2)}) | ` +
                  `${both(nativeCpu)} | ${both(picture)}`);
    });
  } finally {
    native.stop();
  }
}

function fileSizes() {
  const rows = [];
  const walk = (folder, prefix) => {
    for (const name of readdirSync(folder)) {
      const path = join(folder, name);
      if (name === 'browser-tests' || name === 'CMakeFiles') continue;
      if (statSync(path).isDirectory()) walk(path, `${prefix}${name}/`);
      else rows.push([`${prefix}${name}`, statSync(path).size]);
    }
  };
  for (const name of ['index.html', 'page.js', 'style.css', 'vesper-glint.js', 'vesper-glint.wasm'])
    rows.push([name, statSync(join(web, name)).size]);
  walk(join(web, 'show'), 'show/');
  return rows;
}

// Chromium's processor time so far, all its processes, in seconds.
function browserCpuSeconds(pids) {
  let ticks = 0;
  for (const pid of pids) {
    try {
      const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
      ticks += Number(fields[11]) + Number(fields[12]);
    } catch { /* gone */ }
  }
  return ticks / 100;
}

function browserPids(root) {
  const pids = [root];
  for (const entry of readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = readFileSync(`/proc/${entry}/stat`, 'utf8');
      const parent = Number(stat.split(') ')[1].split(' ')[1]);
      if (pids.includes(parent) && !pids.includes(Number(entry))) pids.push(Number(entry));
    } catch { /* gone */ }
  }
  return pids;
}

const server = await serve(web, { isolated: true });
const browser = await launch();
try {
  // Frame costs, scene by scene, on the manual clock.
  const { page } = await openPage(browser, `${server.url}?test`);
  if (!await page.evaluate(() => self.crossOriginIsolated))
    throw new Error('the page is not isolated: its frame times would count in 100 us steps');
  await sceneCosts(page, browser);
  await page.close();

  const sizes = fileSizes();
  const total = sizes.reduce((sum, [, size]) => sum + size, 0);
  const song = sizes.find(([name]) => name.endsWith('.ogg'))?.[1] ?? 0;
  for (const [name, size] of sizes) console.log(`${String(size).padStart(9)}  ${name}`);
  console.log(`${String(total).padStart(9)}  in all; ` +
              `the song ${(100 * song / total).toFixed(1)} %`);

  // Playing with sound: start to first frame, offsets, CPU.
  const playing = await openPage(browser, `${server.url}?start=100000`);
  await playing.page.keyboard.press('Enter');
  await playing.page.waitForFunction(() => window.vesper.record.startToFirstFrameMs !== null);
  console.log(`start gesture to first frame: ${(await playing.page.evaluate(
    () => window.vesper.record.startToFirstFrameMs)).toFixed(1)} ms`);
  await sleep(1000);
  const pids = browserPids(browser.process().pid);
  const cpuBefore = browserCpuSeconds(pids);
  const wallBefore = Date.now();
  await playing.page.evaluate(() => { window.vesper.record.offsets.length = 0; });
  await sleep(20000);
  const cpu = (browserCpuSeconds(pids) - cpuBefore) / ((Date.now() - wallBefore) / 1000);
  const offsets = await playing.page.evaluate(() => window.vesper.record.offsets);
  console.log(`picture against the song heard: median ${quantile(offsets, 0.5)} ms, ` +
              `1st..99th percentile ${quantile(offsets, 0.01)}..${quantile(offsets, 0.99)} ms ` +
              `over ${offsets.length} frames`);
  console.log(`browser CPU while playing: ${(100 * cpu).toFixed(0)} % of one core`);
} finally {
  await browser.close();
  await server.stop();
}
