// What the web page costs, in headless chromium (Debian's), beside the
// native show in the same run (bench/web_page.sh passes its statistics):
//  - per scene, the effects' time per frame and the picture's (the pixels
//    look converted and put on the canvas), median and 99th percentile;
//  - the files the page downloads;
//  - from the start gesture to the first frame on screen;
//  - while playing with sound: the offset of the picture against the song
//    as heard, and the CPU the browser uses.
// Usage: node web_page.mjs WEB_BUILD NATIVE_STATS_JSON
import { readFileSync, readdirSync, statSync } from 'node:fs';
import { join } from 'node:path';

import { serve, launch, openPage, sleep } from './browser.mjs';

const [web, nativeStats] = process.argv.slice(2);
const quantile = (values, q) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
};
const us = (ms) => (ms * 1000).toFixed(0).padStart(6);

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

const server = await serve(web);
const browser = await launch();
try {
  // Frame costs, scene by scene, on the manual clock.
  const native = JSON.parse(readFileSync(nativeStats, 'utf8'));
  const { page } = await openPage(browser, `${server.url}?test`);
  console.log('scene           effects median/p99 us: page  native  ratio | picture median/p99 us');
  for (const block of native.blocks.filter((b) => b.scene)) {
    const costs = await page.evaluate((a, b) => window.vesper.timeFrames(a, b, 60), block.start, block.end - 1);
    const show = costs.map((c) => c.showMs);
    const picture = costs.map((c) => c.drawMs);
    const median = quantile(show, 0.5) * 1000;
    console.log(`${String(block.start).padStart(6)} ${block.scene.padEnd(10)} ` +
                `${us(quantile(show, 0.5))} ${us(quantile(show, 0.99))} | ` +
                `${block.effects_cost.median.toFixed(0).padStart(6)} ${block.effects_cost.p99.toFixed(0).padStart(6)} | ` +
                `${(median / block.effects_cost.median).toFixed(2)} | ` +
                `${us(quantile(picture, 0.5))} ${us(quantile(picture, 0.99))}`);
  }
  await page.close();

  const sizes = fileSizes();
  const total = sizes.reduce((sum, [, size]) => sum + size, 0);
  const song = sizes.find(([name]) => name.endsWith('.ogg'))?.[1] ?? 0;
  for (const [name, size] of sizes) console.log(`${String(size).padStart(9)}  ${name}`);
  console.log(`${String(total).padStart(9)}  in all; the song ${(100 * song / total).toFixed(1)} %`);

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
              `1st..99th percentile ${quantile(offsets, 0.01)}..${quantile(offsets, 0.99)} ms over ${offsets.length} frames`);
  console.log(`browser CPU while playing: ${(100 * cpu).toFixed(0)} % of one core`);
} finally {
  await browser.close();
  await server.stop();
}
