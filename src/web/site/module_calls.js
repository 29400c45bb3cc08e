// Calls into the WebAssembly module (velmora.js): the fields written into its memory, one run,
// and its parts read back. The page's worker and the tests under node load this same file.
'use strict';

const VelmoraPart = Object.freeze({ wav: 0, subRip: 1, webVtt: 2, report: 3, spans: 4, marks: 5 });
// In the order of the module's outcome numbers.
const VelmoraOutcomes = Object.freeze(['written', 'nothing-to-sound', 'too-long', 'out-of-memory', 'speed-refused',
                                       'rise-refused']);
// The module's option flags.
const VelmoraOption = Object.freeze({ wordGap: 1, foldKana: 2, exactPitch: 4, punctuation: 8 });

// The bytes of one part of the last run: a view into the module's memory, valid until the next
// call into the module.
function velmoraPart(module, part) {
  const at = module._velmora_part(part) >>> 0;
  const size = module._velmora_part_size(part) >>> 0;
  return module.HEAPU8.subarray(at, at + size);
}

// Copies `text` as UTF-8 into a block of the module's heap; returns [address, length], or null
// when the heap cannot give the block.
function velmoraPutText(module, text) {
  const bytes = new TextEncoder().encode(text);
  const at = module._malloc(Math.max(bytes.length, 1)) >>> 0;
  if (at === 0) return null;
  module.HEAPU8.set(bytes, at);
  return [at, bytes.length];
}

// One run of the fields { message, dot, frequency, volume, wpm, farnsworth, rise } (texts) and
// { wordGap, foldKana, exactPitch, punctuation } (checkboxes). Each text goes whole, with its
// length, a zero character in it included.
// Returns the outcome's name and the report; the parts stay in the module until velmoraRelease.
function velmoraRun(module, fields) {
  const texts = [fields.message, fields.dot, fields.frequency, fields.volume, fields.wpm, fields.farnsworth,
                 fields.rise];
  const blocks = [];
  let outcome = VelmoraOutcomes.indexOf('out-of-memory');
  try {
    for (const text of texts) {
      const block = velmoraPutText(module, text);
      if (block === null) break;
      blocks.push(block);
    }
    // The texts' [address, length] pairs, as the module's FieldText records.
    const pairs = blocks.length === texts.length ? module._malloc(8 * texts.length) >>> 0 : 0;
    if (pairs !== 0) {
      blocks.push([pairs, 0]);
      module.HEAPU32.set(blocks.slice(0, texts.length).flat(), pairs / 4);
      const options = Object.entries(VelmoraOption).reduce((all, [name, flag]) => all | (fields[name] ? flag : 0), 0);
      outcome = module._velmora_run(pairs, options);
    }
  } finally {
    for (const [at] of blocks) module._free(at);
  }
  const reportBytes = velmoraPart(module, VelmoraPart.report);
  const report = reportBytes.length > 0 ? JSON.parse(new TextDecoder().decode(reportBytes))
                                        : { outcome: 'out-of-memory', warnings: [], leftOut: [] };
  return { outcome: VelmoraOutcomes[outcome], report };
}

// Gives back every byte of the last run.
function velmoraRelease(module) {
  module._velmora_release();
}

if (typeof module !== 'undefined') {
  module.exports = { VelmoraPart, VelmoraOutcomes, velmoraPart, velmoraRun, velmoraRelease };
}
