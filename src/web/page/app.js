// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The calculator window as a page: the same controls, the same requests.
// Calculate, Enter in the text field and a change of system each calculate with the
// text as it stands; typing alone leaves the last results on show. The
// arithmetic is the engine's (psifonomoi.js), one call per request however
// long the text.
import { AboutBox } from './about.js';
import { formatFragment, parseFragment } from './fragment.js';

const control = (id) => document.getElementById(id);
const mainWindow = control('Form1');
const edit = control('Edit1');
const classical = control('RadioButton1');
const positional = control('RadioButton2');
const wordValueLabel = control('Label2');
const primaryLabel = control('Label4');
const announcer = control('Announcer');
const about = new AboutBox(control('AboutFrm'), control('Button2'));

let engine = null;
// Without WebAssembly, or when the module cannot be fetched, importing it
// rejects: the message stands where the results would.
const engineLoaded = import('./psifonomoi.js').then(
  (module) => {
    engine = module;
    return true;
  },
  (error) => {
    console.error(error);
    control('GroupBox2').hidden = true;
    control('Message').hidden = false;
    return false;
  },
);

function system() {
  return positional.checked ? 'positional' : 'classical';
}

function calculate() {
  if (!engine) {
    // A request made while the engine is still loading runs once it is there.
    engineLoaded.then((ok) => ok && calculate());
    return;
  }
  const text = edit.value;
  const chosen = system();
  const { value, primary } = engine.wordValue(text, chosen);
  wordValueLabel.textContent = String(value);
  primaryLabel.textContent = String(primary);
  // A screen reader hears each result with its caption.
  announcer.textContent =
    `${control('Label1').textContent} ${value}, ${control('Label3').textContent} ${primary}`;
  const fragment = formatFragment(chosen, text);
  if (location.hash !== fragment) history.replaceState(history.state, '', fragment);
}

// An address that holds a calculation shows it; any other is left alone.
function calculateFromAddress() {
  const request = parseFragment(location.hash);
  if (!request) return;
  edit.value = request.text;
  (request.system === 'positional' ? positional : classical).checked = true;
  calculate();
}

control('Button1').addEventListener('click', calculate);
// Enter in the text field or on a radio button presses Calculate, as the
// window's default button, but only on its own: not with Shift, Ctrl or Alt.
// (Not a form's submission: browsers gather a form's fields on submit, which
// takes a second with a megabyte of text.)
mainWindow.addEventListener('keydown', (event) => {
  if (event.key !== 'Enter' || event.isComposing || !(event.target instanceof HTMLInputElement)) {
    return;
  }
  event.preventDefault();
  if (!event.shiftKey && !event.ctrlKey && !event.altKey) calculate();
});
// A change of system recalculates at once; choosing the checked one again is no change.
for (const radio of [classical, positional]) radio.addEventListener('change', calculate);
control('Button2').addEventListener('click', () => about.open());
addEventListener('hashchange', calculateFromAddress);

calculateFromAddress();

addEventListener('load', () => {
  about.preload();
  // Offline after one visit; a page opened from a file or a browser without
  // service workers simply stays online-only.
  navigator.serviceWorker?.register('sw.js').catch(() => {});
});
