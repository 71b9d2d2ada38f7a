// The page around the show: fetches the content into the module's file
// system, loads the show, waits on the start screen for a gesture, then
// draws one frame per animation frame on the canvas. The show's own clock
// says where it is; animation frames only decide how often we look.
//
// The song plays through Web Audio once the start gesture allows it; the
// show's clock is what is heard. Without sound (?mute, no Web Audio, a
// refused audio context) the show runs silent on a steady clock and says so.
//
// Address options (address_options.js checks them): ?at=POS renders that
// one position (with &warmup=MS of frames before it at &fps=N, as the
// capture tool does) and stops; ?test loads on the manual clock for the
// browser tests (window.vesper); ?start=POS begins the show there; ?mute
// plays without sound. The content comes through content_fetch.js.
'use strict';

(() => {
  const params = new URLSearchParams(location.search);
  const address = VesperAddress.read(params);
  const canvas = document.getElementById('picture');
  const context = canvas.getContext('2d', { alpha: false });
  const startScreen = document.getElementById('start');
  const statusLine = document.getElementById('status');
  const prompt = document.getElementById('prompt');
  const messageList = document.getElementById('messages');
  const controls = document.getElementById('controls');
  const positionText = document.getElementById('position');
  const lookSelect = document.getElementById('look');
  const notice = document.getElementById('notice');

  const LOOK_PIXELS = 0, LOOK_CELLS = 1, LOOK_CHARACTERS = 2;
  const KEY_LEFT = 1, KEY_RIGHT = 2, KEY_SPACE = 3, KEY_ESCAPE = 27;
  const CLOCK_STEADY = 0, CLOCK_AUDIO = 1, CLOCK_MANUAL = 2;
  const playClock = params.has('mute') ? CLOCK_STEADY : CLOCK_AUDIO;
  const FRAME_BYTES = 320 * 200 * 4;
  // A terminal cell of the cells look, in CSS pixels: a 16-pixel font.
  const CELL_WIDTH = 8, CELL_HEIGHT = 16;

  let show = null;          // the WebAssembly module
  let loaded = false;
  let loading = true;       // the content is still on its way
  let loadingText = 'Loading…';
  let playing = false;
  let ended = false;
  let startWanted = false;  // a gesture came while the content still loaded
  let imageData = null;
  // The image last drawn: a paused show makes no new one.
  let drawnSerial = null;
  let look = LOOK_PIXELS;
  let gestureTime = 0;
  let titleShownAt = 0;
  let controlsTimer = 0;
  let noticeTimer = 0;
  let shownPosition = null;  // the position of the frame on screen
  let lastTick = null;       // the last animation frame's time
  let refreshMs = 1000 / 60;  // the display's refresh interval, as measured

  // What the tests and the measurements read.
  const record = {
    messages: [],
    startToFirstFrameMs: null,
    frames: [],  // {position, showMs, drawMs} of the last frames
    // The position each frame showed minus the song as heard when it
    // reached the screen (the next animation frame), in ms.
    offsets: [],
  };

  // The show's messages go to the start screen's list; one that comes
  // while the show plays is also shown for a while over the picture.
  function say(text) {
    record.messages.push(text);
    const item = document.createElement('li');
    item.textContent = text;
    messageList.append(item);
    if (playing) {
      showControls();
      notice.textContent = text;
      notice.hidden = false;
      clearTimeout(noticeTimer);
      noticeTimer = setTimeout(() => { notice.hidden = true; }, 8000);
    }
  }

  function mmss(ms) {
    const tenths = Math.floor(Math.max(ms, 0) / 100);
    const seconds = Math.floor(tenths / 10);
    return `${Math.floor(seconds / 60)}:${String(seconds % 60).padStart(2, '0')}.${tenths % 10}`;
  }

  // While loading, the status line says how far it got, and once that a
  // gesture is waiting for it.
  function showLoading(text) {
    loadingText = text;
    statusLine.textContent = text + (startWanted ? ' (starting as soon as it has loaded)' : '');
  }

  function showProgress(done, total) {
    const { megabytes } = VesperContent;
    showLoading(`Loading… ${megabytes(done)} of ${megabytes(total)} MB`);
  }

  function draw() {
    const width = show._vg_image_width();
    const height = show._vg_image_height();
    if (canvas.width !== width || canvas.height !== height || !imageData) {
      canvas.width = width;
      canvas.height = height;
      imageData = new ImageData(width, height);
    }
    const at = show._vg_image();
    imageData.data.set(show.HEAPU8.subarray(at, at + width * height * 4));
    context.putImageData(imageData, 0, 0);
    drawnSerial = show._vg_image_serial();
  }

  // The cells look gets as many cells as a terminal with a 16-pixel font
  // would show over the picture's area.
  function applyLook() {
    if (!show) return;
    const box = canvas.getBoundingClientRect();
    const columns = Math.max(16, Math.round(box.width / CELL_WIDTH));
    const rows = Math.max(5, Math.round(box.height / CELL_HEIGHT));
    look = show._vg_set_look(look, columns, rows);
    lookSelect.value = String(look);
  }

  function setLook(next) {
    look = next;
    applyLook();
    if (!playing && loaded && show._vg_image_width() > 0 && address.frame) renderRequested();
  }

  function toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else document.documentElement.requestFullscreen().catch((error) => say(`Fullscreen refused: ${error.message}`));
  }

  function showControls() {
    controls.classList.remove('faded');
    clearTimeout(controlsTimer);
    if (playing) controlsTimer = setTimeout(() => controls.classList.add('faded'), 2500);
  }

  function start() {
    if (playing) return;
    if (!loaded) {
      if (!loading) return;
      startWanted = true;
      prompt.hidden = true;
      showLoading(loadingText);
      return;
    }
    if (ended) {
      // Play again: a fresh engine over the content already fetched.
      show._vg_load(playClock);
      applyLook();
      ended = false;
    }
    gestureTime = performance.now();
    record.startToFirstFrameMs = null;
    startScreen.hidden = true;
    playing = true;
    shownPosition = null;
    // In the gesture's own handler: browsers let sound start only here.
    show._vg_start(address.startMs);
    showControls();
  }

  function finish() {
    playing = false;
    ended = true;
    // The engine goes (and its sound with it); the last frame stays drawn.
    show._vg_shut_down();
    document.querySelector('#start h1').textContent = 'The show has ended';
    statusLine.textContent = 'Thank you for watching.';
    prompt.textContent = 'click or press a key to play again';
    prompt.hidden = false;
    startScreen.hidden = false;
    showControls();
  }

  // The song's position heard at this instant, in ms; null without sound.
  function heardNowMs() {
    const audio = show.vgAudio;
    if (!audio || !show._vg_audio_live()) return null;
    const since = Math.max(0, audio.heardTime(performance.now()) - audio.anchorTime);
    return Math.floor((audio.anchorFrame + Math.floor(since * audio.rate)) * 1000 / audio.rate);
  }

  function tick(time) {
    requestAnimationFrame(tick);
    if (lastTick !== null && time - lastTick > 2 && time - lastTick < 100)
      refreshMs += (time - lastTick - refreshMs) / 8;
    lastTick = time;
    if (!playing) return;
    // The frame drawn last time has been on screen since this animation
    // frame began: compare it with the song heard now. A pause or a seek in
    // between says nothing about sync.
    const heard = heardNowMs();
    if (shownPosition !== null && heard !== null && !show._vg_paused() && Math.abs(heard - shownPosition) < 250)
      record.offsets.push(shownPosition - heard);
    if (record.offsets.length > 20000) record.offsets.splice(0, 10000);
    const begin = performance.now();
    // This frame reaches the screen at the next refresh: the clock is read
    // for that moment.
    show.vgDisplayAt = time + refreshMs;
    const last = show._vg_frame() === 1;
    show.vgDisplayAt = 0;
    const drawn = performance.now();
    const position = show._vg_position();
    shownPosition = position;
    if (show._vg_image_serial() !== drawnSerial) draw();
    const end = performance.now();
    record.frames.push({ position, showMs: drawn - begin, drawMs: end - drawn });
    if (record.frames.length > 20000) record.frames.splice(0, 10000);
    if (record.startToFirstFrameMs === null) record.startToFirstFrameMs = end - gestureTime;
    positionText.textContent = mmss(position) + (show._vg_paused() ? ' paused' : '');
    if (end - titleShownAt > 250) {
      document.title = show.UTF8ToString(show._vg_title());
      titleShownAt = end;
    }
    if (last) finish();
  }

  function onKey(event) {
    if (event.ctrlKey || event.metaKey || event.altKey) return;
    if (event.target === lookSelect) return;
    const key = event.key;
    if (key === 'f' || key === 'F') {
      toggleFullscreen();
    } else if (key === 'l' || key === 'L') {
      setLook((look + 1) % 3);
    } else if (!playing) {
      if (!address.frame && !params.has('test')) start();
      else return;
    } else if (key === ' ' || key === 'Spacebar') {
      show._vg_key(KEY_SPACE);
      shownPosition = null;
    } else if (key === 'ArrowLeft') {
      show._vg_key(KEY_LEFT);
      shownPosition = null;
    } else if (key === 'ArrowRight') {
      show._vg_key(KEY_RIGHT);
      shownPosition = null;
    } else if (key === 'Escape') {
      show._vg_key(KEY_ESCAPE);
    } else {
      return;
    }
    showControls();
    event.preventDefault();
  }

  // The test hook: the frame at `ms` after `warmupMs` of frames at `fps`
  // before it, exactly as the capture tool makes them.
  function renderAt(ms, warmupMs = 0, fps = 60) {
    const first = Math.max(0, ms - warmupMs);
    for (let i = 0; ; ++i) {
      const at = first + Math.floor(i * 1000 / fps);
      if (at >= ms) break;
      show._vg_render_at(at);
    }
    const begin = performance.now();
    const frame = show._vg_render_at(ms);
    const showMs = performance.now() - begin;
    return {
      pixels: show.HEAPU8.slice(frame, frame + FRAME_BYTES),
      energy: show._vg_energy(),
      showMs,
    };
  }

  function toBase64(bytes) {
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000)
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(text);
  }

  function renderRequested() {
    const { ms, warmupMs, fps } = address.frame;
    const shown = renderAt(ms, warmupMs, fps);
    show._vg_present();
    draw();
    positionText.textContent = mmss(ms);
    return shown;
  }

  async function main() {
    const testing = params.has('test') || address.frame !== null;
    window.vesper = { record, renderAt: null, ready: false };
    for (const problem of address.problems)
      say(`The address's ${problem}; the page starts without it.`);
    try {
      show = await createVesperGlint({
        print: (line) => { if (line.trim()) showLoading(line); },
        printErr: (line) => say(line),
      });
    } catch (error) {
      loading = false;
      statusLine.textContent = `This browser cannot run the show: ${error.message || error}`;
      throw error;
    }
    await VesperContent.fetchContent(show, say, showProgress);
    loaded = show._vg_load(testing ? CLOCK_MANUAL : playClock) === 1;
    loading = false;
    applyLook();
    // For the measurements: each frame from `fromMs` to `toMs` at `fps`,
    // drawn and shown as while playing, with what each step took.
    window.vesper.timeFrames = (fromMs, toMs, fps) => {
      const costs = [];
      for (let i = 0; ; ++i) {
        const at = fromMs + Math.floor(i * 1000 / fps);
        if (at > toMs) break;
        const begin = performance.now();
        show._vg_render_at(at);
        const drawn = performance.now();
        show._vg_present();
        draw();
        costs.push({ position: at, showMs: drawn - begin, drawMs: performance.now() - drawn });
      }
      return costs;
    };
    // For the tests, which read the frame across the DevTools protocol.
    window.vesper.renderAt = (ms, warmupMs, fps) => {
      const result = renderAt(ms, warmupMs, fps);
      return { pixels: toBase64(result.pixels), energy: result.energy, showMs: result.showMs };
    };
    window.vesper.show = show;
    window.vesper.audioState = () => (show.vgAudio ? show.vgAudio.context.state : 'none');
    if (testing) {
      startScreen.hidden = true;
      if (address.frame) renderRequested();
      window.vesper.ready = true;
      return;
    }
    statusLine.textContent = loaded ? 'Ready.' : 'The show could not load.';
    prompt.hidden = !loaded;
    window.vesper.ready = true;
    if (startWanted) start();
  }

  startScreen.addEventListener('click', () => { if (!params.has('test')) start(); });
  document.addEventListener('keydown', onKey);
  document.addEventListener('mousemove', showControls);
  document.getElementById('fullscreen').addEventListener('click', toggleFullscreen);
  lookSelect.addEventListener('change', () => setLook(Number(lookSelect.value)));
  window.addEventListener('resize', applyLook);
  // Keeps the sound fed while animation frames stop (a background tab).
  setInterval(() => { if (playing) show._vg_audio_pump(); }, 250);
  requestAnimationFrame(tick);
  main();
})();
