// The options of the page's address, each checked once as it enters, by
// the rules of the command line that does the same thing: ?start as the
// show's --start, ?at, ?warmup and ?fps as the capture tool's. A value
// that breaks them is left out with a message, and the page starts as
// without it; nothing read from the address reaches a loop unchecked.
'use strict';

const VesperAddress = (() => {
  const SHOW_END_MS = 333000;
  // The capture tool's largest position and warm-up.
  const LARGEST_POSITION_MS = 1073741823;
  // The frames before ?at run while the page cannot answer: at most about
  // half a minute of work.
  const LARGEST_WARMUP_FRAMES = 10000;

  const digits = (text) => /^[0-9]+$/.test(text);
  // A value as a message quotes it: not the whole of a long one.
  const quoted = (text) => (text.length > 40 ? `${text.slice(0, 40)}…` : text);

  // Milliseconds, or minutes:seconds (2:45); null when it is neither or
  // beyond `largest`.
  function position(text, largest) {
    const clock = /^([0-9]{1,3}):([0-5][0-9])$/.exec(text);
    let ms;
    if (clock) ms = (Number(clock[1]) * 60 + Number(clock[2])) * 1000;
    else if (digits(text) && text.length <= 10) ms = Number(text);
    else return null;
    return ms <= largest ? ms : null;
  }

  function wholeNumber(text, low, high) {
    if (!digits(text) || text.length > 10) return null;
    const value = Number(text);
    return value >= low && value <= high ? value : null;
  }

  function frame(params, problems) {
    const at = position(params.get('at'), LARGEST_POSITION_MS);
    if (at === null) {
      problems.push(`at=${quoted(params.get('at'))} is not a position: it needs milliseconds or ` +
                    'minutes:seconds (2:45)');
      return null;
    }
    const warmup = params.get('warmup'), rate = params.get('fps');
    const warmupMs = warmup === null ? 0 : wholeNumber(warmup, 0, LARGEST_POSITION_MS);
    const fps = rate === null ? 60 : wholeNumber(rate, 1, 1000);
    if (warmupMs === null) {
      problems.push(`warmup=${quoted(warmup)} needs milliseconds from 0 to ${LARGEST_POSITION_MS}`);
      return null;
    }
    if (fps === null) {
      problems.push(`fps=${quoted(rate)} needs a whole number from 1 to 1000`);
      return null;
    }
    const warmupFrames = Math.ceil(Math.min(at, warmupMs) * fps / 1000);
    if (warmupFrames > LARGEST_WARMUP_FRAMES) {
      problems.push(`warmup=${warmupMs} at fps=${fps} is ${warmupFrames} frames before the ` +
                    `position, more than the ${LARGEST_WARMUP_FRAMES} the page renders`);
      return null;
    }
    return { ms: at, warmupMs, fps };
  }

  // {startMs, frame: {ms, warmupMs, fps} or null, problems: [text]}.
  function read(params) {
    const problems = [];
    let startMs = 0;
    if (params.has('start')) {
      const asked = position(params.get('start'), SHOW_END_MS);
      if (asked === null)
        problems.push(`start=${quoted(params.get('start'))} needs a position from 0 to ` +
                      `${SHOW_END_MS} ms (5:33), in milliseconds or minutes:seconds (2:45)`);
      else startMs = asked;
    }
    const at = params.has('at') ? frame(params, problems) : null;
    return { startMs, frame: at, problems };
  }

  return { read };
})();
