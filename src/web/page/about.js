// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The about box: a modal dialog with the turning coin. The animation runs as
// in the window: frame 0 at every opening, then one frame per interval through
// the strip's frames and round again, and no timer while the box is closed.

const kStrip = 'signature.png';

export class AboutBox {
  constructor(dialog, opener) {
    this.dialog = dialog;
    this.opener = opener;
    this.canvas = dialog.querySelector('#GRImg');
    this.context = this.canvas.getContext('2d');
    // The frame's size, count and interval are the layout's, written into the
    // canvas when the page was built.
    this.frameCount = Number(this.canvas.dataset.frameCount);
    this.interval = Number(this.canvas.dataset.frameInterval);
    this.strip = new Image();
    this.next = 0;
    this.timer = 0;
    this.stillOnly = matchMedia('(prefers-reduced-motion: reduce)');

    dialog.querySelector('#AboutButton1').addEventListener('click', () => dialog.close());
    dialog.addEventListener('close', () => this.closed());
    // A strip that arrives while the box is open shows its frame at once.
    this.strip.addEventListener('load', () => {
      if (dialog.open) this.draw((this.next + this.frameCount - 1) % this.frameCount);
    });
  }

  // Fetches the strip ahead of the first opening, so that frame 0 is there to
  // draw the moment the box opens.
  preload() {
    if (!this.strip.src) this.strip.src = kStrip;
  }

  open() {
    if (this.dialog.open) return;
    this.preload();
    this.next = 0;
    this.step();
    // Whoever asked the system for less motion sees the coin still.
    if (!this.stillOnly.matches) this.timer = setInterval(() => this.step(), this.interval);
    this.dialog.showModal();
  }

  step() {
    this.draw(this.next);
    this.next = (this.next + 1) % this.frameCount;
  }

  draw(frame) {
    if (!this.strip.complete || this.strip.naturalWidth === 0) return;
    const { width, height } = this.canvas;
    this.context.drawImage(this.strip, frame * width, 0, width, height, 0, 0, width, height);
  }

  closed() {
    clearInterval(this.timer);
    this.timer = 0;
    this.opener.focus();
  }
}
