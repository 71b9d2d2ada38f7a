// The song in the page: the show's clock is what is heard, and the keys
// act on sound and picture together. Headless chromium with the autoplay
// flag (and muted output, which still runs the audio clock).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';

import { serve, launch, openPage, sleep } from './browser.mjs';

let browser;
let server;

before(async () => {
  server = await serve(process.env.VG_WEB_DIR);
  browser = await launch();
});

after(async () => {
  await browser?.close();
  await server?.stop();
});

const position = (page) => page.evaluate(() => window.vesper.show._vg_position());

// The position, the wall clock and the audio context's clock read
// together, in the page.
const reading = (page) => page.evaluate(() => {
  window.vesper.show._vg_audio_pump();
  const audio = window.vesper.show.vgAudio;
  return { ms: window.vesper.show._vg_position(), at: performance.now(),
           audioMs: audio ? audio.context.currentTime * 1000 : null };
});

// Over a second of playing, the position follows the audio clock, and the
// audio clock keeps wall-clock time. On a machine loaded far past its cores
// the browser's audio thread can itself stall for a moment (the picture
// then rightly waits for the sound): three tries at a clean second.
async function positionKeepsTime(page) {
  const seen = [];
  for (let attempt = 0; attempt < 3; ++attempt) {
    const first = await reading(page);
    await sleep(1000);
    const second = await reading(page);
    const moved = second.ms - first.ms;
    const wall = second.at - first.at;
    const audio = second.audioMs - first.audioMs;
    assert.ok(Math.abs(moved - audio) <= 50, `position ${moved} ms while the audio clock ran ${audio} ms`);
    if (Math.abs(moved - wall) <= 50) return;
    seen.push(`position ${moved} ms, audio clock ${audio.toFixed(0)} ms, wall ${wall.toFixed(0)} ms`);
  }
  assert.fail(`the song's clock did not keep wall-clock time: ${seen.join('; ')}`);
}

async function startShow(page) {
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.vesper.record.startToFirstFrameMs !== null);
}

test('the clock is the song as heard: it keeps time, pauses and seeks with the sound', async () => {
  const { page, errors } = await openPage(browser, `${server.url}?start=100000`);
  await startShow(page);
  await page.waitForFunction(() => window.vesper.audioState() === 'running', { timeout: 5000 });
  assert.equal(await page.evaluate(() => window.vesper.show._vg_audio_live()), 1);
  await sleep(300);  // past the first chunk's start

  await positionKeepsTime(page);

  // Each frame is latched for the moment it reaches the screen, so it shows
  // what is heard while it is shown (a frame latched when drawn lags by a
  // display refresh, about 17 ms).
  const offsets = await page.evaluate(() => window.vesper.record.offsets.slice(-60));
  const median = [...offsets].sort((a, b) => a - b)[offsets.length >> 1];
  assert.ok(offsets.length >= 20 && Math.abs(median) <= 8,
            `the picture against the song heard: median ${median} ms over ${offsets.length} frames`);

  await page.keyboard.press('Space');
  await page.waitForFunction(() => window.vesper.audioState() === 'suspended');
  const paused = await position(page);
  await sleep(1000);
  assert.equal(await position(page), paused, 'paused: the position stands still');
  await page.keyboard.press('Space');
  await page.waitForFunction(() => window.vesper.audioState() === 'running');
  await sleep(300);

  // Right: the frame that shows the new position is a second on from the
  // frame before it, give or take the time between two frames.
  const before = await page.evaluate(() => window.vesper.record.frames.length);
  await page.keyboard.press('ArrowRight');
  await sleep(400);
  const frames = (await page.evaluate(() => window.vesper.record.frames)).slice(before - 1);
  const at = frames.findIndex((f, i) => i > 0 && f.position - frames[i - 1].position > 500);
  assert.ok(at > 0, 'a frame after the key shows the new position');
  const interval = Math.max(...frames.slice(1, at).map((f, i) => f.position - frames[i].position), 17);
  const step = frames[at].position - frames[at - 1].position;
  assert.ok(step >= 1000 && step <= 1000 + interval + 2, `seek step ${step} (frames ${interval} ms apart)`);
  assert.deepEqual(errors, []);
  await page.close();
});

test('the end of the song ends the show and stops the sound', async () => {
  const { page, errors } = await openPage(browser, `${server.url}?start=331800`);
  await startShow(page);
  await page.waitForFunction(() => !document.getElementById('start').hidden, { timeout: 10000 });
  assert.match(await page.$eval('#prompt', (el) => el.textContent), /play again/);
  assert.equal(await page.evaluate(() => window.vesper.audioState()), 'none');
  // And it plays again from the start screen.
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.vesper.audioState() === 'running', { timeout: 5000 });
  assert.deepEqual(errors, []);
  await page.close();
});

test('without Web Audio the show plays silent on a steady clock and says so', async () => {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  await page.evaluateOnNewDocument(() => {
    delete window.AudioContext;
    delete window.webkitAudioContext;
  });
  await page.goto(`${server.url}?start=50000`);
  await page.waitForFunction(() => window.vesper && window.vesper.ready, { timeout: 120000 });
  const messages = await page.evaluate(() => window.vesper.record.messages);
  assert.ok(messages.some((m) => /No sound device \(this browser has no Web Audio\)/.test(m)), messages.join('\n'));
  assert.ok(messages.some((m) => /runs silent on a steady clock/.test(m)), messages.join('\n'));
  await startShow(page);
  const first = await reading(page);
  await sleep(700);
  const second = await reading(page);
  assert.ok(Math.abs((second.ms - first.ms) - (second.at - first.at)) <= 50);
  assert.equal(await page.evaluate(() => window.vesper.show._vg_audio_live()), 0);
  assert.deepEqual(errors, []);
  await page.close();
});

test('a browser that keeps the sound from starting gets a silent show that says why', async () => {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  // An audio context that stays suspended and refuses to resume, as a
  // browser's autoplay rule or a missing output device leaves it.
  await page.evaluateOnNewDocument(() => {
    const Real = window.AudioContext;
    window.AudioContext = class extends Real {
      constructor(options) {
        super(options);
        super.suspend();
      }
      resume() {
        return Promise.reject(new DOMException('not allowed to start', 'NotAllowedError'));
      }
    };
  });
  await page.goto(`${server.url}?start=50000`);
  await page.waitForFunction(() => window.vesper && window.vesper.ready, { timeout: 120000 });
  await startShow(page);
  await page.waitForFunction(() => window.vesper.record.messages.some(
    (m) => /did not let the sound start/.test(m)), { timeout: 10000 });
  const first = await reading(page);
  await sleep(700);
  const second = await reading(page);
  assert.ok(Math.abs((second.ms - first.ms) - (second.at - first.at)) <= 50, 'the steady clock runs');
  assert.ok(await page.$eval('#notice', (el) => !el.hidden && /silent/.test(el.textContent)),
            'the page says so over the picture');
  assert.deepEqual(errors, []);
  await page.close();
});
