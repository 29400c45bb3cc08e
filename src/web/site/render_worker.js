// The page's worker: runs the WebAssembly module off the page's thread, so that a long message
// never freezes the page. Posts { ready } once the module has started (or { failed }), then one
// result per request: the outcome, the report, the files as Blobs and the picture's data.
'use strict';
importScripts('velmora.js', 'module_calls.js');

const started = createVelmora().then(
  (module) => {
    postMessage({ ready: true, primer: primerOf(module) });
    return module;
  },
  (error) => {
    postMessage({ failed: String(error) });
    throw error;
  });

// A WAV of one silent dot (8 samples). The page has the browser open it, unheard, as soon as the
// module has started: the browser's media player then starts up before the first press of 作成!!,
// not after it, and the first run is playable about 100 ms sooner.
function primerOf(module) {
  const silentDot = { message: 'E', dot: '1', frequency: '', volume: '', wpm: '', farnsworth: '', rise: '' };
  try {
    const { outcome } = velmoraRun(module, silentDot);
    return outcome === 'written' ? new Blob([velmoraPart(module, VelmoraPart.wav)], { type: 'audio/wav' }) : null;
  } finally {
    velmoraRelease(module);
  }
}

// The files of a written run, copied out of the module's memory once each.
function filesOf(module) {
  return {
    wav: new Blob([velmoraPart(module, VelmoraPart.wav)], { type: 'audio/wav' }),
    srt: new Blob([velmoraPart(module, VelmoraPart.subRip)], { type: 'application/x-subrip' }),
    vtt: new Blob([velmoraPart(module, VelmoraPart.webVtt)], { type: 'text/vtt' }),
    spans: new Int32Array(velmoraPart(module, VelmoraPart.spans).slice().buffer),
    ...marksOf(module),
  };
}

// The picture's marks, one line per character, and where each line starts: the page then cuts
// out only the lines in view, however long the message.
function marksOf(module) {
  const marks = new TextDecoder().decode(velmoraPart(module, VelmoraPart.marks));
  const count = module._velmora_part_size(VelmoraPart.spans) / 8;
  const markStarts = new Int32Array(count + 1);
  for (let k = 0, at = 0; k <= count; ++k) {
    markStarts[k] = at;
    at = marks.indexOf('\n', at) + 1;
  }
  return { marks, markStarts };
}

// One run; a run that fails (the module trapped or aborted, and is no longer usable) says so
// instead of leaving the page waiting.
onmessage = ({ data: fields }) => {
  started.then((module) => run(module, fields)).catch((error) => postMessage({ failed: String(error) }));
};

function run(module, fields) {
  const begin = performance.now();
  let { outcome, report } = velmoraRun(module, fields);
  const renderMs = performance.now() - begin;
  let files = null;
  try {
    if (outcome === 'written') files = filesOf(module);
  } catch (error) {
    // The browser could not hold a copy of the audio.
    outcome = 'out-of-memory';
    report = { ...report, outcome };
  } finally {
    velmoraRelease(module);
  }
  const heapInUse = module._velmora_heap_in_use() >>> 0;
  const transfers = files ? [files.spans.buffer, files.markStarts.buffer] : [];
  postMessage({ outcome, report, files, renderMs, heapInUse }, transfers);
}
