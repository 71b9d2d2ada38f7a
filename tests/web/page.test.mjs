// The web page in a real browser (headless chromium): it loads cleanly,
// warns of flashing light and plays from its start screen, keeps the
// picture's shape, draws the same frames as the native show, and shows the
// native placeholders and messages for content missing on the server.
//
// Run by run-browser-tests.sh, which builds the native reference frames
// and passes, through the environment:
//   VG_WEB_DIR        the built page (make web)
//   VG_POSITIONS      the compared positions, comma-separated
//   VG_WARMUP         ms of frames rendered before each
//   VG_REFERENCE_DIR  the native capture's frame-<ms>.png at those positions
//   VG_ENERGY_REFERENCE  the native engine's loudness there (energy MS HEX lines)
//   VG_MISSING_DIR    the page with resources/<VG_MISSING_PICTURE> removed
//   VG_MISSING_AT     a position that shows that picture, and
//   VG_MISSING_REFERENCE  the native frame there without it
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

import { serve, serveBroken, launch, openPage, sleep } from './browser.mjs';
import { readPng } from './png.mjs';

const env = (name) => {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set (run-browser-tests.sh sets it)`);
  return value;
};

let browser;
let server;

before(async () => {
  server = await serve(env('VG_WEB_DIR'));
  browser = await launch();
});

after(async () => {
  await browser?.close();
  await server?.stop();
});

// The frame the page rendered, as the capture tool's RGBA bytes.
async function pageFrame(page, ms, warmupMs) {
  const result = await page.evaluate((at, warmup) => window.vesper.renderAt(at, warmup, 60),
                                     ms, warmupMs);
  const frame = Buffer.from(result.pixels, 'base64');
  // The frame's fourth byte is unused by the show; compare colours only.
  for (let i = 3; i < frame.length; i += 4) frame[i] = 255;
  return { frame, energy: result.energy };
}

function difference(a, b) {
  let pixels = 0, largest = 0;
  for (let i = 0; i < a.length; i += 4) {
    let differs = false;
    for (let c = 0; c < 3; ++c) {
      const d = Math.abs(a[i + c] - b[i + c]);
      if (d) differs = true;
      largest = Math.max(largest, d);
    }
    if (differs) ++pixels;
  }
  return { pixels, largest };
}

async function canvasBox(page) {
  return page.evaluate(() => {
    const box = document.getElementById('picture').getBoundingClientRect();
    return { left: box.left, top: box.top, width: box.width, height: box.height,
             viewWidth: innerWidth, viewHeight: innerHeight };
  });
}

// A cheap fingerprint of what the canvas shows.
async function canvasSum(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('picture');
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let sum = 0;
    for (let i = 0; i < data.length; i += 7) sum = (sum * 31 + data[i]) >>> 0;
    return sum;
  });
}

test('the page loads without console errors and plays from its start screen', async () => {
  // Without sound: the steady clock, as the terminal's --mute (the song's
  // clock has tests of its own).
  // In the noise scene: its grain changes every pixel in every frame.
  const { page, errors } = await openPage(browser, `${server.url}?start=20000&mute`);
  assert.equal(await page.$eval('#prompt', (el) => el.hidden), false, 'the start screen asks for a gesture');
  // Before it, on screen: the warning for viewers sensitive to flashing light.
  const warning = await page.$eval('#flash-warning', (el) => {
    const box = el.getBoundingClientRect();
    return {
      text: el.textContent.replace(/\s+/g, ' '),
      onScreen: box.height > 0 && box.top >= 0 && box.bottom <= innerHeight,
      beforePrompt: Boolean(el.compareDocumentPosition(document.getElementById('prompt')) &
                            Node.DOCUMENT_POSITION_FOLLOWING),
    };
  });
  assert.match(warning.text, /^Warning: flashing light\. .* Tunnel \(2:42-3:08\), .* epilepsy\.$/);
  assert.ok(warning.onScreen, 'the warning is on the start screen');
  assert.ok(warning.beforePrompt, 'the page offers to start after the warning');
  assert.equal(await page.evaluate(() => window.vesper.show._vg_position()), 0);

  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.vesper.record.startToFirstFrameMs !== null);
  assert.equal(await page.$eval('#start', (el) => el.hidden), true, 'the gesture starts the show');
  const firstSum = await canvasSum(page);
  const firstPosition = await page.evaluate(() => window.vesper.show._vg_position());
  await sleep(700);
  const secondPosition = await page.evaluate(() => window.vesper.show._vg_position());
  assert.ok(firstPosition >= 20000, `it starts where asked (${firstPosition})`);
  assert.ok(secondPosition - firstPosition >= 500, `the clock runs (${firstPosition} -> ${secondPosition})`);
  assert.notEqual(await canvasSum(page), firstSum, 'the picture moves');
  assert.match(await page.title(), /^time = \d+$/, 'the title shows the position as the console does');

  // Space pauses the clock and holds the picture, a new look included;
  // Right moves a second on and draws that frame once.
  await page.keyboard.press('Space');
  await sleep(100);
  const paused = await page.evaluate(() => window.vesper.show._vg_position());
  const held = await canvasSum(page);
  await sleep(1000);
  assert.equal(await page.evaluate(() => window.vesper.show._vg_position()), paused, 'paused stays put');
  assert.equal(await canvasSum(page), held, 'the paused picture holds still');
  await page.select('#look', '1');
  await sleep(200);
  const cells = await canvasSum(page);
  assert.notEqual(cells, held, 'a new look draws the held frame anew');
  await sleep(500);
  assert.equal(await canvasSum(page), cells, 'and holds it');
  await page.select('#look', '0');
  await sleep(200);
  assert.equal(await canvasSum(page), held, 'the pixels look shows the same held frame');
  await page.keyboard.press('ArrowRight');
  await sleep(100);
  assert.equal(await page.evaluate(() => window.vesper.show._vg_position()), paused + 1000);
  const sought = await canvasSum(page);
  assert.notEqual(sought, held, 'a seek while paused draws the new position');
  await sleep(500);
  assert.equal(await canvasSum(page), sought, 'and holds it');
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.press('ArrowLeft');
  await sleep(100);
  assert.equal(await page.evaluate(() => window.vesper.show._vg_position()), paused - 1000);
  await page.keyboard.press('Space');
  await sleep(500);
  const resumed = await page.evaluate(() => window.vesper.show._vg_position());
  assert.ok(resumed > paused - 1000 && resumed < paused + 1000, `it goes on from there (${resumed})`);

  // Escape ends the show and offers to play again.
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => !document.getElementById('start').hidden);
  assert.match(await page.$eval('#prompt', (el) => el.textContent), /play again/);
  assert.deepEqual(errors, []);
  await page.close();
});

test('the picture keeps its 8 : 5 shape, centred, through resizes and looks', async () => {
  const { page, errors } = await openPage(browser, server.url, { width: 1200, height: 500 });
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.vesper.record.startToFirstFrameMs !== null);
  for (const [width, height] of [[1200, 500], [600, 900], [1000, 625], [333, 777]]) {
    await page.setViewport({ width, height });
    await sleep(150);
    const box = await canvasBox(page);
    assert.ok(Math.abs(box.width / box.height - 1.6) < 0.01, `8 : 5 at ${width} x ${height}: ${JSON.stringify(box)}`);
    assert.ok(box.width <= width + 0.5 && box.height <= height + 0.5, 'it fits the window');
    assert.ok(Math.abs(box.width - width) < 1 || Math.abs(box.height - height) < 1, 'and fills one side');
    assert.ok(Math.abs(box.left * 2 + box.width - width) < 1.5, 'centred across');
    assert.ok(Math.abs(box.top * 2 + box.height - height) < 1.5, 'centred down');
  }
  // Each look draws its own picture; the canvas element keeps the shape.
  const sizes = [];
  for (const look of ['1', '2', '0']) {
    await page.select('#look', look);
    await sleep(200);
    sizes.push(await page.evaluate(() => [document.getElementById('picture').width,
                                          document.getElementById('picture').height]));
    const box = await canvasBox(page);
    assert.ok(Math.abs(box.width / box.height - 1.6) < 0.01);
  }
  const [cells, characters, pixels] = sizes;
  assert.deepEqual(pixels, [320, 200]);
  assert.equal(cells[1] % 2, 0, 'cells are two image rows each');
  assert.ok(characters[0] % 80 === 0 && characters[1] % 50 === 0, `80 x 50 characters: ${characters}`);
  assert.deepEqual(errors, []);
  await page.close();
});

// Float bits, to count how many representable values apart two are.
function floatBits(value) {
  const view = new DataView(new ArrayBuffer(4));
  view.setFloat32(0, value);
  return view.getUint32(0);
}

// The song's decoder and FFT are built from the same sources but by
// another compiler, and both ask for fast float maths in their own build
// files, so the last bits of the spectrum may differ; the loudness the
// effects compare with their thresholds stays within a few units in the
// last place (the frames compared with them show no threshold decision changes).
const LARGEST_LOUDNESS_ULPS = 4;

test('frames and the effects\' loudness equal the native show\'s at two positions in every scene', async () => {
  const { page, errors } = await openPage(browser, `${server.url}?test`);
  const warmup = Number(env('VG_WARMUP'));
  const nativeEnergy = new Map(readFileSync(env('VG_ENERGY_REFERENCE'), 'utf8').trim().split('\n')
    .map((line) => line.split(' ')).map(([, ms, hex]) => [Number(ms), parseInt(hex, 16)]));
  const report = [];
  let differingPixels = 0;
  for (const ms of env('VG_POSITIONS').split(',').map(Number)) {
    const { frame, energy } = await pageFrame(page, ms, warmup);
    const ulps = Math.abs(floatBits(energy) - nativeEnergy.get(ms));
    assert.ok(ulps <= LARGEST_LOUDNESS_ULPS, `loudness at ${ms}: ${ulps} units in the last place apart`);
    const native = readPng(join(env('VG_REFERENCE_DIR'), `frame-${String(ms).padStart(6, '0')}.png`));
    assert.equal(frame.length, native.rgba.length);
    const { pixels, largest } = difference(frame, native.rgba);
    differingPixels += pixels;
    report.push(`${ms}: ${pixels} pixels differ, largest channel difference ${largest}; ` +
                `loudness ${energy.toFixed(6)}, ${ulps} ulp from the native`);
  }
  console.log(report.join('\n'));
  assert.equal(differingPixels, 0, report.join('\n'));
  assert.deepEqual(errors, []);
  await page.close();
});

test('a picture missing on the server gives the native placeholder and message', async () => {
  const missingServer = await serve(env('VG_MISSING_DIR'));
  try {
    const { page, errors } = await openPage(browser, `${missingServer.url}?test`);
    const picture = env('VG_MISSING_PICTURE');
    const messages = await page.evaluate(() => window.vesper.record.messages);
    assert.ok(messages.some((m) => m.includes(`show/resources/${picture} could not be fetched (HTTP 404)`)),
              messages.join('\n'));
    const ms = Number(env('VG_MISSING_AT'));
    const { frame } = await pageFrame(page, ms, Number(env('VG_WARMUP')));
    const native = readPng(env('VG_MISSING_REFERENCE'));
    assert.deepEqual(difference(frame, native.rgba), { pixels: 0, largest: 0 });
    const shown = await page.evaluate(() => window.vesper.record.messages);
    assert.ok(shown.some((m) => m.startsWith(`Cannot load picture ${picture}`)), shown.join('\n'));
    // The messages are on the page, not only in the console.
    const listed = await page.$$eval('#messages li', (items) => items.map((item) => item.textContent));
    assert.ok(listed.some((m) => m.startsWith(`Cannot load picture ${picture}`)));
    assert.deepEqual(errors.filter((e) => !/404|Failed to load resource/.test(e)), []);
    await page.close();
  } finally {
    await missingServer.stop();
  }
});

// What the start screen shows: its status line and whether it asks for a
// gesture, and the page's messages.
async function startScreen(page) {
  return page.evaluate(() => ({
    shown: !document.getElementById('start').hidden,
    status: document.getElementById('status').textContent,
    prompt: !document.getElementById('prompt').hidden,
    messages: window.vesper.record.messages,
  }));
}

test('values the page refuses, from the address or the server, give a message and the start screen',
     async () => {
  const notFiles = 'is not a list of files';
  const refused = [
    // [address, what the content list is instead, the message]
    ['?at=abc', null, 'at=abc is not a position'],
    ['?at=NaN&warmup=3000', null, 'at=NaN is not a position'],
    ['?at=60000&warmup=1000&fps=-5', null, 'fps=-5 needs a whole number from 1 to 1000'],
    ['?at=333000&warmup=333000&fps=1000', null, 'is 333000 frames before the position'],
    ['?start=later', null, 'start=later needs a position from 0 to 333000 ms'],
    ['?mute', '{"files": 5}', notFiles],
    ['?mute', 'null', notFiles],
    ['?mute', '[{"name": "kelmuth.ogg"}]', notFiles],
    ['?mute', '{"files": [null, {"name": "../x"}, {"name": "a.obj", "size": -1}]}',
     'names 3 entries that are not a plain file name with its size, left out (the first: null)'],
  ];
  const folder = env('VG_WEB_DIR');
  for (const [address, list, message] of refused) {
    const replies = list === null ? {} : { '/show/content.json': list };
    const broken = await serveBroken(folder, { replies });
    try {
      const { page, errors } = await openPage(browser, broken.url + address);
      const shown = await startScreen(page);
      const named = `${address} ${list}`;
      assert.ok(shown.messages.some((m) => m.includes(message)), `${named}: ${shown.messages}`);
      assert.deepEqual([shown.shown, shown.status, shown.prompt], [true, 'Ready.', true], named);
      assert.deepEqual(errors, [], named);
      await page.close();
    } finally {
      await broken.stop();
    }
  }
  // The command line's minutes:seconds, in place of milliseconds.
  const { page, errors } = await openPage(browser, `${server.url}?at=2:45`);
  assert.equal(await page.$eval('#position', (el) => el.textContent), '2:45.0');
  assert.deepEqual(errors, []);
  await page.close();
});

test('a transfer that stalls is given up after 15 s with a message, and the show plays without it',
     async () => {
  const song = 'resources/kelmuth.ogg';
  const list = readFileSync(join(env('VG_WEB_DIR'), 'show/content.json'), 'utf8');
  const { files } = JSON.parse(list);
  const total = files.reduce((sum, file) => sum + file.size, 0);
  const broken = await serveBroken(env('VG_WEB_DIR'), { stall: `/show/${song}`, stallAfter: 1e6 });
  try {
    const { page, errors } = await openPage(browser, broken.url, { ready: false });
    await broken.stalled;
    // Progress counts bytes, the stalled file's first megabyte too.
    const songSize = files.find((file) => file.name === song).size;
    const arrived = ((total - songSize + 1e6) / 1e6).toFixed(1);
    const loading = `Loading… ${arrived} of ${(total / 1e6).toFixed(1)} MB`;
    await page.waitForFunction((text) => document.getElementById('status').textContent === text,
                               { timeout: 10000 }, loading);
    for (let i = 0; i < 5; ++i) await page.keyboard.press('Enter');
    await page.click('#start');
    const waiting = `${loading} (starting as soon as it has loaded)`;
    assert.equal((await startScreen(page)).status, waiting, 'said once, however many gestures');

    // Given up, the show starts as the gestures asked, on the silent clock.
    await page.waitForFunction(() => window.vesper.record.startToFirstFrameMs !== null,
                               { timeout: 60000 });
    const { messages } = await startScreen(page);
    const givenUp = `show/${song} could not be fetched ` +
                    '(nothing more arrived for 15 s after 1.0 MB; given up)';
    assert.ok(messages.includes(givenUp), messages.join('\n'));
    const first = await page.evaluate(() => window.vesper.show._vg_position());
    await sleep(700);
    const later = await page.evaluate(() => window.vesper.show._vg_position());
    assert.ok(later > first, `the clock runs (${first} -> ${later})`);
    assert.deepEqual(errors.filter((e) => !e.includes(song)), []);
    await page.close();
  } finally {
    await broken.stop();
  }
});
