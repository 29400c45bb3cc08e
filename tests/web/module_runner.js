// Runs the web page's module under node on a list of cases, through the same calls as the page's
// worker (module_calls.js), and writes what each run offers: N.wav, N.srt, N.vtt and N.json (the
// outcome, the report and the heap in use after the run is given back).
// node module_runner.js WEB_FOLDER CASES.json OUTPUT_FOLDER
'use strict';
const fs = require('fs');
const path = require('path');

async function main() {
  const [web, casesFile, out] = process.argv.slice(2);
  const calls = require(path.resolve(web, 'module_calls.js'));
  const createVelmora = require(path.resolve(web, 'velmora.js'));
  // The loader would fetch() the file, which node cannot do for a path: it is given the bytes.
  const module = await createVelmora({ wasmBinary: fs.readFileSync(path.join(web, 'velmora.wasm')) });
  const cases = JSON.parse(fs.readFileSync(casesFile, 'utf8'));
  cases.forEach((fields, n) => {
    const { outcome, report } = calls.velmoraRun(module, fields);
    const parts = { wav: calls.VelmoraPart.wav, srt: calls.VelmoraPart.subRip, vtt: calls.VelmoraPart.webVtt };
    for (const [extension, part] of Object.entries(parts)) {
      const bytes = calls.velmoraPart(module, part);
      if (bytes.length > 0) fs.writeFileSync(path.join(out, `${n}.${extension}`), bytes);
    }
    calls.velmoraRelease(module);
    const heapInUse = module._velmora_heap_in_use() >>> 0;
    fs.writeFileSync(path.join(out, `${n}.json`), JSON.stringify({ outcome, report, heapInUse }));
  });
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
