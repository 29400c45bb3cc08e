// The picture of the message: each sounded character under its dots and dashes on a time line,
// drawn on a canvas from the exact sample spans of the audio. While the audio plays, the time
// line follows it and the character being heard is marked. Only what is in view is drawn, so a
// message of a million characters costs no more than a short one.
'use strict';

class MessagePicture {
  static PIXELS_PER_UNIT = 6;
  static MARGIN = 12;  // pixels before the first element, for its mark
  static SAMPLES_PER_SECOND = 8000;

  constructor(canvas, caption, player) {
    this.canvas = canvas;
    this.caption = caption;
    this.player = player;
    this.idleCaption = caption.textContent;
    this.clear();
    const redraw = () => this.draw();
    for (const event of ['seeked', 'timeupdate', 'pause', 'ended', 'emptied']) player.addEventListener(event, redraw);
    player.addEventListener('play', () => this.follow());
    window.addEventListener('resize', redraw);
  }

  clear() {
    this.starts = new Int32Array(0);
    this.ends = new Int32Array(0);
    this.marks = '';
    this.markStarts = new Int32Array(1);
    this.unitSamples = 1;
    this.current = -1;
    this.canvas.dataset.current = '-1';
    this.captioned = -1;
    this.caption.textContent = this.idleCaption;
  }

  // spans: the first and past-the-end sample of each character, in pairs; marks: a line per
  // character, "typed TAB elements", the k-th starting at markStarts[k].
  show(spans, marks, markStarts, unitSamples) {
    const count = spans.length / 2;
    this.starts = new Int32Array(count);
    this.ends = new Int32Array(count);
    for (let k = 0; k < count; ++k) {
      this.starts[k] = spans[2 * k];
      this.ends[k] = spans[2 * k + 1];
    }
    this.marks = marks;
    this.markStarts = markStarts;
    this.unitSamples = Math.max(1, unitSamples);
    this.captioned = null;
    this.draw();
  }

  // [the character as typed, its elements]
  markOf(k) {
    return this.marks.slice(this.markStarts[k], this.markStarts[k + 1] - 1).split('\t');
  }

  // The last character that starts at or before `sample`; -1 before the first.
  indexAt(sample) {
    let low = 0;
    let high = this.starts.length;
    while (low < high) {
      const middle = (low + high) >> 1;
      if (this.starts[middle] <= sample) low = middle + 1;
      else high = middle;
    }
    return low - 1;
  }

  follow() {
    const step = () => {
      this.draw();
      if (!this.player.paused && !this.player.ended) requestAnimationFrame(step);
    };
    requestAnimationFrame(step);
  }

  // The sample being heard, and the character whose elements it lies in (-1 in a gap).
  position() {
    const sample = Math.floor(this.player.currentTime * MessagePicture.SAMPLES_PER_SECOND);
    const k = this.indexAt(sample);
    return { sample, heard: k >= 0 && sample < this.ends[k] ? k : -1, last: k };
  }

  draw() {
    const { canvas } = this;
    const ratio = window.devicePixelRatio || 1;
    const width = canvas.clientWidth;
    const height = canvas.clientHeight;
    if (canvas.width !== Math.round(width * ratio)) canvas.width = Math.round(width * ratio);
    if (canvas.height !== Math.round(height * ratio)) canvas.height = Math.round(height * ratio);
    const g = canvas.getContext('2d');
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    g.clearRect(0, 0, width, height);
    if (this.starts.length === 0) return;

    const { sample, heard, last } = this.position();
    const scale = MessagePicture.PIXELS_PER_UNIT / this.unitSamples;  // pixels per sample
    // The time being heard stays a fifth of the way in; before that, the line starts at 0.
    const origin = Math.max(0, sample - (width / 5) / scale);
    const x = (s) => (s - origin) * scale + MessagePicture.MARGIN;
    const first = Math.max(0, this.indexAt(origin - MessagePicture.MARGIN / scale));
    for (let k = first; k < this.starts.length && x(this.starts[k]) < width; ++k) {
      this.drawCharacter(g, k, x, k === heard, height);
    }
    g.fillStyle = '#b00020';
    g.fillRect(Math.round(x(sample)), 0, 1, height);
    this.mark(heard, last);
  }

  drawCharacter(g, k, x, isHeard, height) {
    const [text, elements] = this.markOf(k);
    const unit = this.unitSamples;
    if (isHeard) {
      g.fillStyle = '#ffd166';
      g.fillRect(x(this.starts[k]) - 3, 4, x(this.ends[k]) - x(this.starts[k]) + 6, height - 8);
    }
    g.fillStyle = '#1d3557';
    let at = this.starts[k];
    for (const element of elements) {
      const length = (element === '-' ? 3 : 1) * unit;
      g.fillRect(x(at), 16, Math.max(1, x(at + length) - x(at)), 10);
      at += length + unit;
    }
    g.font = `${isHeard ? 'bold ' : ''}18px system-ui, "Noto Sans CJK JP", "IPAGothic", sans-serif`;
    g.textAlign = 'center';
    g.fillStyle = '#1b1f24';
    g.fillText(text, (x(this.starts[k]) + x(this.ends[k])) / 2, 56);
  }

  // The character being heard, for scripts (data-current), and the one at the time as words.
  mark(heard, last) {
    this.canvas.dataset.current = String(heard);
    const k = heard >= 0 ? heard : last;
    if (k === this.captioned) return;
    this.captioned = k;
    if (k < 0) {
      this.caption.textContent = this.idleCaption;
      return;
    }
    const [text, elements] = this.markOf(k);
    const sounds = elements.replaceAll('.', '·').replaceAll('-', '−');
    this.caption.textContent = `Character ${k + 1} of ${this.starts.length}: ${text}  ${sounds}`;
  }
}
