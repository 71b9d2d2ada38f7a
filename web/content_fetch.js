// Fetches the show's content into the module's file system: the list
// show/content.json, then every file it names, all at once. The list is
// the server's, so it is checked before anything is fetched by it; a
// transfer that stalls is given up, so the page never waits for ever. What
// does not arrive is left out with a message, and the show plays with its
// placeholders as the terminal show does.
'use strict';

const VesperContent = (() => {
  // A transfer that brings nothing new for this long is given up.
  const STALL_MS = 15000;
  const LIST = 'show/content.json';

  const megabytes = (bytes) => (bytes / 1e6).toFixed(1);

  // Only plain names below the content folder are written: a list from the
  // server cannot reach outside it.
  function safeName(name) {
    return typeof name === 'string' && /^(resources\/)?[A-Za-z0-9_][A-Za-z0-9._-]*$/.test(name);
  }

  function isEntry(file) {
    return file !== null && typeof file === 'object' && safeName(file.name) &&
           (file.size === undefined || (Number.isSafeInteger(file.size) && file.size >= 0));
  }

  // The bytes at `url`, each piece counted by `onBytes` as it arrives.
  async function fetchBytes(url, onBytes) {
    const controller = new AbortController();
    let received = 0;
    let stalled = false;
    let timer = 0;
    const watch = () => {
      clearTimeout(timer);
      timer = setTimeout(() => { stalled = true; controller.abort(); }, STALL_MS);
    };
    watch();
    try {
      const response = await fetch(url, { signal: controller.signal });
      if (!response.ok) throw new Error(`HTTP ${response.status}`);
      if (!response.body) return new Uint8Array(0);
      const reader = response.body.getReader();
      const pieces = [];
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        watch();
        pieces.push(value);
        received += value.length;
        onBytes(value.length);
      }
      const bytes = new Uint8Array(received);
      let at = 0;
      for (const piece of pieces) {
        bytes.set(piece, at);
        at += piece.length;
      }
      return bytes;
    } catch (error) {
      if (!stalled) throw error;
      throw new Error(`nothing more arrived for ${STALL_MS / 1000} s after ` +
                      `${megabytes(received)} MB; given up`);
    } finally {
      clearTimeout(timer);
    }
  }

  // The files to fetch, or null when the list is not one.
  async function readList(say) {
    let list;
    try {
      list = JSON.parse(new TextDecoder().decode(await fetchBytes(LIST, () => {})));
    } catch (error) {
      say(`The content list ${LIST} could not be read (${error.message}): ` +
          'the show plays without its song, pictures and meshes');
      return null;
    }
    if (list === null || typeof list !== 'object' || !Array.isArray(list.files)) {
      say(`The content list ${LIST} is not a list of files ({"files": [...]}): ` +
          'the show plays without its song, pictures and meshes');
      return null;
    }
    const wrong = list.files.filter((file) => !isEntry(file));
    if (wrong.length > 0)
      say(`The content list ${LIST} names ${wrong.length} entries that are not a plain file name ` +
          `with its size, left out (the first: ${String(JSON.stringify(wrong[0])).slice(0, 80)})`);
    return list.files.filter(isEntry);
  }

  // `progress(done, total)` in bytes, after every piece.
  async function fetchContent(module, say, progress) {
    module.FS.mkdirTree('/show/resources');
    module.FS.chdir('/show');
    const files = await readList(say);
    if (!files) return;
    const total = files.reduce((sum, file) => sum + (file.size || 0), 0);
    let done = 0;
    const count = (bytes) => {
      done += bytes;
      progress(done, total);
    };
    await Promise.all(files.map(async (file) => {
      try {
        module.FS.writeFile(`/show/${file.name}`, await fetchBytes(`show/${file.name}`, count));
      } catch (error) {
        say(`show/${file.name} could not be fetched (${error.message})`);
      }
    }));
  }

  return { fetchContent, megabytes };
})();
