// The page: reads the form, hands the fields to the worker (render_worker.js), and shows what
// comes back: the status, the player, the downloads, the report and the picture.
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  const form = $('form');
  const status = $('status');
  const create = $('create');
  const output = $('output');
  const player = $('player');
  const report = $('report');
  const picture = new MessagePicture($('picture'), $('now-playing'), player);
  const numberFormat = new Intl.NumberFormat('en');

  let busy = true;  // until the worker's module has started, and while a run lasts
  let urls = [];
  let clickedAt = 0;

  const FIELD_NAMES = { dot: 'The dot length', frequency: 'The frequency', volume: 'The volume', wpm: 'The speed' };
  const SPEED_FIELDS = { wpm: 'The speed', farnsworth: 'The Farnsworth speed' };
  const REFUSALS = {
    'nothing-to-sound': 'Nothing to sound: no character of the message has a Morse code.',
    'too-long': 'Too long: the audio would not fit a WAV file (2,147,483,647 samples, about 74 hours, at most). ' +
                'Shorten the message or the dot length.',
    'out-of-memory': 'Out of memory: this page cannot hold audio that long. Shorten the message or the dot length.',
  };

  function say(text, outcome) {
    status.textContent = text;
    if (outcome) status.dataset.outcome = outcome;
    else delete status.dataset.outcome;
  }

  function setBusy(value) {
    busy = value;
    create.setAttribute('aria-disabled', String(value));
    form.setAttribute('aria-busy', String(value));
  }

  function fields() {
    return {
      message: $('message').value, dot: $('dot').value, frequency: $('frequency').value, volume: $('volume').value,
      wpm: $('wpm').value, farnsworth: $('farnsworth').value,
      wordGap: $('word-gap').checked, foldKana: $('fold-kana').checked,
      rise: $('rise').value, exactPitch: $('exact-pitch').checked, punctuation: $('punctuation').checked,
    };
  }

  function speedProblemText(problem, typed) {
    const speed = `${typed} WPM`;
    switch (problem.why) {
      case 'not-a-speed':
        return `${SPEED_FIELDS[problem.field]} “${typed}” is not a number of words per minute above 0.`;
      case 'dot-below-1-ms': return `A speed of ${speed} makes a dot shorter than 1 ms.`;
      case 'dot-beyond-field': return `A speed of ${speed} makes a dot longer than 2147483647 ms.`;
      case 'no-dot': return 'Farnsworth timing needs a dot length above 0 ms.';
      case 'word-gap-beyond-file': return `A Farnsworth speed of ${speed} stretches a word gap beyond what a WAV file holds.`;
      default: return `The Farnsworth speed, ${speed}, must be below the character speed, ` +
                      `${Number(problem.characterWpm.toPrecision(4))} WPM.`;
    }
  }

  function summary(result) {
    const r = result.report;
    if (result.outcome === 'written') {
      const seconds = r.samples / 8000;
      return `Made: ${numberFormat.format(r.characters)} characters, ${seconds.toFixed(seconds < 10 ? 2 : 1)} s ` +
             `of audio (${numberFormat.format(r.bytes)} bytes). Listen below, or download the WAV and its labels.`;
    }
    if (result.outcome === 'speed-refused') {
      $(r.speedProblem.field).setAttribute('aria-invalid', 'true');
      return speedProblemText(r.speedProblem, r.refusedTyped);
    }
    if (result.outcome === 'rise-refused') {
      $('rise').setAttribute('aria-invalid', 'true');
      return `The rise “${r.refusedTyped}” is not a time in milliseconds, 0 or more: digits, with a fraction or ` +
             'not (or leave it empty to key the tone hard).';
    }
    return REFUSALS[result.outcome];
  }

  function list(heading, lines, kind) {
    if (lines.length === 0) return;
    const title = document.createElement('h3');
    title.textContent = heading;
    const items = document.createElement('ul');
    for (const line of lines) {
      const item = document.createElement('li');
      const warning = line.startsWith('warning: ');
      item.textContent = warning ? `Warning: ${line.slice('warning: '.length)}` : line;
      if (warning || kind === 'warning') item.className = 'warning';
      items.append(item);
    }
    report.append(title, items);
  }

  function showReport(r, typed) {
    report.replaceChildren();
    const warnings = r.warnings.map((w) => `${FIELD_NAMES[w.field]} “${w.typed}” ${w.said}.`);
    if (r.riseWarning) warnings.push(`The rise of ${typed.rise} ms ${r.riseWarning}.`);
    list('Fields', warnings, 'warning');
    list('Left out of the message', r.leftOut);
  }

  function link(id, blob) {
    const url = URL.createObjectURL(blob);
    urls.push(url);
    $(id).href = url;
    return url;
  }

  function showFiles(result) {
    const { wav, srt, vtt, spans, marks, markStarts } = result.files;
    player.src = link('download', wav);
    link('labels-srt', srt);
    link('labels-vtt', vtt);
    performance.measure('velmora: click to Blob', { start: clickedAt });
    player.addEventListener('canplay', () => performance.measure('velmora: click to playable', { start: clickedAt }),
                            { once: true });
    picture.show(spans, marks, markStarts, result.report.unitSamples);
    output.hidden = false;
    // Pressing 作成!! asks to hear it; a browser that refuses leaves the player's own button.
    player.play().catch(() => {});
  }

  // Gives the last run's files back before the next is made: the browser keeps a page's Blobs
  // in a store of its own, a few hundred megabytes, until nothing refers to them.
  function clearOutput() {
    for (const url of urls) URL.revokeObjectURL(url);
    urls = [];
    output.hidden = true;
    player.removeAttribute('src');
    player.load();
    picture.clear();
  }

  function show(result, typed) {
    performance.measure('velmora: render', { start: clickedAt, duration: result.renderMs });
    status.dataset.heapInUse = String(result.heapInUse);
    showReport(result.report, typed);
    if (result.outcome === 'written') showFiles(result);
    say(summary(result), result.outcome);
    setBusy(false);
  }

  // The player cannot read a WAV the module made only when the browser could not store its Blob.
  player.addEventListener('error', () => {
    if (urls.length === 0) return;
    clearOutput();
    say('Out of memory: the browser could not keep audio this long. Make it shorter, or reload the page ' +
        'to give back what earlier runs took.', 'out-of-memory');
  });

  let typed = null;
  form.addEventListener('submit', (event) => {
    event.preventDefault();
    if (busy) return;
    clickedAt = performance.now();
    setBusy(true);
    clearOutput();
    say('Making the audio…', null);
    for (const id of [...Object.keys(SPEED_FIELDS), 'rise']) $(id).removeAttribute('aria-invalid');
    typed = fields();
    worker.postMessage(typed);
  });

  // Has a player that is never shown open the worker's silent WAV, and lets it go once read.
  function prime(wav) {
    if (!wav) return;
    const url = URL.createObjectURL(wav);
    const primer = new Audio();
    const done = () => {
      URL.revokeObjectURL(url);
      primer.removeAttribute('src');
    };
    primer.addEventListener('canplaythrough', done, { once: true });
    primer.addEventListener('error', done, { once: true });
    primer.preload = 'auto';
    primer.src = url;
  }

  // A worker that could not start, or whose module failed, makes nothing more: 作成!! stays
  // refused, where a press would wait for ever for an answer that never comes.
  function stop(text) {
    say(text, 'failed');
    setBusy(true);
  }

  function onWorkerMessage({ data }) {
    if (data.ready) {
      performance.measure('velmora: page load to ready');
      prime(data.primer);
      status.dataset.ready = 'true';
      say(`Ready: type a message and press ${create.textContent}`, null);
      setBusy(false);
    } else if (data.failed) {
      stop(`The page cannot make audio in this browser (${data.failed}). Reload the page to try again.`);
    } else {
      show(data, typed);
    }
  }

  // A page opened as a file has no worker: the browser refuses it a script of the file system.
  function startWorker() {
    try {
      const started = new Worker('render_worker.js');
      started.onmessage = onWorkerMessage;
      started.onerror = (event) => stop(`The page's worker stopped (${event.message}). Reload the page to try again.`);
      return started;
    } catch (error) {
      stop(`The page cannot start its worker (${error.message}). Open it from a web server (scripts/serve), ` +
           'not as a file.');
      return null;
    }
  }

  const worker = startWorker();
})();
