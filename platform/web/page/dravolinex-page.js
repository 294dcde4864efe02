// The page side of the browser game: the canvas, the keys, the dialogs and message boxes as HTML, the end panel
// and the test hook; the menu bar (dravolinex-menu.js) and sound, gamepad and storage (dravolinex-devices.js) are
// loaded before it. The game's module calls the functions of `Dravolinex`; what the player does is queued as events
// that the game's loop takes in turn (see platform/web/web_backend.h for the event kinds).
'use strict';
(function () {
  const Ev = { KeyDown: 1, KeyUp: 2, FocusLost: 3, Command: 4, DialogCommand: 5, DialogSlider: 6, BoxAnswer: 7, Resize: 8 };
  const Kind = { GroupBox: 0, Label: 1, Icon: 2, Slider: 3, Radio: 4, CheckBox: 5, Button: 6, DefaultButton: 7 };
  const Style = { GroupStart: 0x01, Centred: 0x02, Sunken: 0x04, NoPrefix: 0x08, TabStop: 0x10 };
  const Slider = { LineUp: 0, LineDown: 1, ThumbPosition: 4, ThumbTrack: 5, EndTrack: 8 };
  const IdOk = 1, IdCancel = 2;
  const GameKeys = { ' ': 0, ArrowLeft: 1, ArrowRight: 2 };

  const params = new URLSearchParams(location.search);
  const testOn = params.has('test');
  const events = [];
  const $ = (id) => document.getElementById(id);
  const push = (kind, a, b, c) => events.push([kind, a | 0, b | 0, c | 0]);
  const Menu = window.DravolinexMenu, Devices = window.DravolinexDevices;
  const { mnemonicOf, setMnemonicText } = Menu;

  // ---- the main window: canvas area, frames, keys, accelerators ----
  let accelerators = [];
  let image = null;
  let windowOpen = false;

  function createWindow(title, menuText, acceleratorText) {
    document.title = title;
    Menu.build(menuText, (command) => push(Ev.Command, command));
    accelerators = acceleratorText.split('\n').filter(Boolean).map((line) => {
      const [kind, key, alt, command] = line.split('\x1f').map(Number);
      return { kind, key, alt: alt === 1, command };
    });
    windowOpen = true;
    $('app').hidden = false;
    new ResizeObserver(() => push(Ev.Resize)).observe($('area'));
  }

  function present(pixels, width, height) {
    const canvas = $('screen');
    if (canvas.width !== width || canvas.height !== height || !image) {
      canvas.width = width;
      canvas.height = height;
      canvas.style.width = width + 'px';
      canvas.style.height = height + 'px';
      image = new ImageData(width, height);
    }
    // The game's colours are 0x00BBGGRR words, little-endian: R, G, B, then an unused byte made opaque here.
    const out = new Uint32Array(image.data.buffer);
    for (let i = 0; i < out.length; i++) out[i] = pixels[i] | 0xff000000;
    canvas.getContext('2d', { alpha: false }).putImageData(image, 0, 0);
    // The first frame is on the screen at the next rendering of the page.
    if (!firstFrameAsked) {
      firstFrameAsked = true;
      requestAnimationFrame(() => { firstFrameAt = performance.now(); });
    }
  }
  let firstFrameAt = 0, firstFrameAsked = false;

  function acceleratorFor(e) {
    for (const a of accelerators) {
      if (a.kind === 0) { // a virtual key: a letter, with Alt or with no modifier at all
        if (e.key.length === 1 && e.key.toUpperCase().charCodeAt(0) === a.key && !e.ctrlKey && !e.metaKey &&
            !e.shiftKey && e.altKey === a.alt) return a.command;
      } else if (e.key.length === 1 && e.key.charCodeAt(0) === a.key && e.altKey === a.alt && !e.ctrlKey && !e.metaKey) {
        return a.command;
      }
    }
    return 0;
  }

  function onKeyDown(e) {
    Devices.unlockAudio();
    if (!windowOpen || typeof e.key !== 'string') return; // a browser's autofill sends key events without a key
    if (modals.length) { modalKey(e); return; }
    if (Menu.isOpen()) { Menu.key(e); return; }
    if (e.key in GameKeys) {
      e.preventDefault();
      push(Ev.KeyDown, GameKeys[e.key]);
      return;
    }
    const command = acceleratorFor(e);
    if (command) {
      e.preventDefault();
      if (!e.repeat) push(Ev.Command, command);
      return;
    }
    if (e.altKey && !e.ctrlKey && e.key.length === 1 && Menu.openByMnemonic(e.key.toLowerCase())) e.preventDefault();
  }

  function onKeyUp(e) {
    if (typeof e.key === 'string' && e.key in GameKeys) {
      if (!modals.length) e.preventDefault();
      push(Ev.KeyUp, GameKeys[e.key]);
    }
  }

  // ---- dialogs from the control tables, and message boxes ----
  const dialogs = new Map(); // serial → dialog record
  const modals = [];         // open dialogs and boxes in the order they opened

  // Dialog units from the dialog font, as the classic dialog manager measures them: a quarter of the average
  // character width across, an eighth of the line height down.
  function dialogUnits(font, px) {
    const context = document.createElement('canvas').getContext('2d');
    context.font = font;
    const width = context.measureText('ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz').width;
    const average = (width / 26 + 1) / 2;
    return { x: average / 4, y: Math.round(px * 1.2) / 8 };
  }

  function frame(title) {
    const element = document.createElement('div');
    element.className = 'dialog';
    element.setAttribute('role', 'dialog');
    element.setAttribute('aria-modal', 'true');
    element.style.visibility = 'hidden'; // laid out, so that its size is known before it is shown
    const bar = document.createElement('div');
    bar.className = 'dialog-title';
    bar.textContent = title;
    const client = document.createElement('div');
    client.className = 'dialog-client';
    element.append(bar, client);
    $('modal-layer').append(element);
    element.setAttribute('aria-label', title);
    return { element, bar, client };
  }

  function openDialog(serial, spec) {
    const lines = spec.split('\n').filter((l) => l.length);
    const head = lines.shift().split('\x1f');
    const t = { title: head[0], width: +head[1], height: +head[2], fontName: head[3], fontSize: +head[4],
                centred: head[5] === '1', x: +head[6], y: +head[7] };
    const px = t.fontSize * 96 / 72;
    const font = `${px.toFixed(2)}px "${t.fontName}", Tahoma, "DejaVu Sans", Verdana, sans-serif`;
    const units = dialogUnits(font, px);
    const X = (v) => Math.round(v * units.x), Y = (v) => Math.round(v * units.y);
    const d = Object.assign(frame(t.title), { serial, template: t, controls: [], X, Y, kind: 'dialog' });
    d.client.style.font = font;
    d.client.style.width = X(t.width) + 'px';
    d.client.style.height = Y(t.height) + 'px';
    let group = 0;
    lines.forEach((line, index) => {
      const f = line.split('\x1f');
      const def = { id: +f[0], kind: +f[1], style: +f[2], iconId: +f[3], x: +f[4], y: +f[5], width: +f[6],
                    height: +f[7], text: f.slice(8).join(' ') };
      const previous = d.controls[index - 1];
      if (def.kind === Kind.Radio && (def.style & Style.GroupStart || !previous || previous.def.kind !== Kind.Radio)) group++;
      d.controls.push(buildControl(d, def, index, group));
    });
    d.element.addEventListener('keydown', (e) => dialogKey(d, e));
    dialogs.set(serial, d);
    modals.push(d);
    showLayer();
    place(d); // before the procedure's start, which may move it
    return d;
  }

  function buildControl(d, def, index, group) {
    const c = { def, index, group, focus: null, element: null, last: 0, min: 0, max: 0, ticks: 0 };
    const place = (element, width, height) => {
      element.style.left = d.X(def.x) + 'px';
      element.style.top = d.Y(def.y) + 'px';
      if (width !== undefined) element.style.width = width + 'px';
      if (height !== undefined) element.style.height = height + 'px';
      element.dataset.index = index;
      d.client.append(element);
      c.element = element;
    };
    const W = Math.max(1, d.X(def.width)), H = Math.max(1, d.Y(def.height));
    const prefix = !(def.style & Style.NoPrefix);
    const send = () => push(Ev.DialogCommand, d.serial, def.id);
    switch (def.kind) {
      case Kind.GroupBox: {
        const box = document.createElement('fieldset');
        box.className = 'ctl groupbox';
        const legend = document.createElement('legend');
        setMnemonicText(legend, def.text, false);
        if (!def.text) legend.hidden = true;
        box.append(legend);
        c.text = legend;
        place(box, W, H);
        break;
      }
      case Kind.Label: {
        const label = document.createElement('div');
        label.className = 'ctl label' + (def.style & Style.Sunken ? ' sunken' : '') + (def.style & Style.Centred ? ' centred' : '');
        setMnemonicText(label, def.text, prefix && !(def.style & Style.Sunken));
        c.text = label;
        place(label, W, H);
        break;
      }
      case Kind.Icon: {
        const canvas = document.createElement('canvas');
        canvas.className = 'ctl icon';
        canvas.width = canvas.height = 32;
        place(canvas, 32, 32);
        break;
      }
      case Kind.Slider: {
        const box = document.createElement('div');
        box.className = 'ctl slider';
        const input = document.createElement('input');
        input.type = 'range';
        input.min = 0; input.max = 0; input.step = 1; input.value = 0;
        const ticks = document.createElement('div');
        ticks.className = 'ticks';
        box.append(input, ticks);
        c.focus = input;
        c.ticksElement = ticks;
        c.width = W;
        let dragging = false, keyHeld = false, endPending = false;
        const notify = (code) => push(Ev.DialogSlider, d.serial, def.id, code);
        input.addEventListener('pointerdown', () => { dragging = true; });
        const dragEnd = () => {
          if (!dragging) return;
          dragging = false;
          notify(Slider.ThumbPosition);
          notify(Slider.EndTrack);
        };
        input.addEventListener('pointerup', dragEnd);
        input.addEventListener('lostpointercapture', dragEnd);
        input.addEventListener('input', () => {
          const value = +input.value;
          const previous = c.last;
          c.last = value;
          if (value === previous) return;
          if (dragging) { notify(Slider.ThumbTrack); return; }
          // Keyboard and wheel: one step each; a held key (auto-repeat) ends the track once, when it is released.
          notify(value > previous ? Slider.LineDown : Slider.LineUp);
          if (keyHeld) endPending = true; else notify(Slider.EndTrack);
        });
        const keyEnd = () => {
          keyHeld = false;
          if (endPending) { endPending = false; notify(Slider.EndTrack); }
        };
        input.addEventListener('keydown', (e) => { if (!e.altKey && e.key !== 'Tab') keyHeld = true; });
        input.addEventListener('keyup', keyEnd);
        input.addEventListener('blur', keyEnd);
        place(box, W, H);
        break;
      }
      case Kind.Radio:
      case Kind.CheckBox: {
        const label = document.createElement('label');
        label.className = 'ctl check';
        const input = document.createElement('input');
        input.type = def.kind === Kind.Radio ? 'radio' : 'checkbox';
        if (def.kind === Kind.Radio) input.name = `g${d.serial}-${group}`;
        const text = document.createElement('span');
        setMnemonicText(text, def.text, prefix);
        label.append(input, text);
        c.focus = input;
        c.text = text;
        input.addEventListener('change', () => { if (def.kind === Kind.CheckBox || input.checked) send(); });
        place(label, W, H);
        break;
      }
      default: {
        const button = document.createElement('button');
        button.type = 'button';
        button.className = 'ctl button' + (def.kind === Kind.DefaultButton ? ' default' : '');
        setMnemonicText(button, def.text, prefix);
        c.focus = button;
        c.text = button;
        button.addEventListener('click', send);
        place(button, W, H);
      }
    }
    if (c.focus) c.focus.tabIndex = def.style & Style.TabStop ? 0 : -1;
    c.mnemonic = prefix && def.kind !== Kind.GroupBox ? mnemonicOf(def.text) : '';
    return c;
  }

  const find = (serial, id) => {
    const d = dialogs.get(serial);
    return d ? d.controls.find((c) => c.def.id === id) : undefined;
  };
  const canFocus = (c) => c && c.focus && !c.focus.disabled && c.element.offsetParent !== null;
  const focusedControl = (d) => d.controls.find((c) => c.focus && c.focus === document.activeElement);

  // Tab and Shift+Tab go through the tab stops in the order of the template, as the dialog was designed, not in
  // screen order. Entering a radio group lands on its checked button.
  function moveTabFocus(d, backwards) {
    const list = d.controls;
    const count = list.length;
    const current = focusedControl(d);
    let i = current ? current.index : (backwards ? 0 : count - 1);
    for (let tries = 0; tries < count; tries++) {
      i = (i + (backwards ? -1 : 1) + count) % count;
      const c = list[i];
      if (!(c.def.style & Style.TabStop)) continue;
      if (c.def.kind === Kind.Radio && current && current.def.kind === Kind.Radio && c.group === current.group) continue;
      let target = c;
      if (c.def.kind === Kind.Radio) {
        const checked = list.find((o) => o.def.kind === Kind.Radio && o.group === c.group && o.focus.checked && canFocus(o));
        if (checked) target = checked;
      }
      if (!canFocus(target)) continue;
      target.focus.focus();
      return true;
    }
    return false;
  }

  function defaultButton(d) {
    const c = d.controls.find((o) => o.def.kind === Kind.DefaultButton);
    return c ? c.def.id : IdOk;
  }

  function dialogKey(d, e) {
    if (modals[modals.length - 1] !== d || typeof e.key !== 'string') return;
    const plain = !e.ctrlKey && !e.altKey && !e.metaKey;
    if (e.key === 'Tab' && !e.ctrlKey && !e.altKey) {
      e.preventDefault();
      moveTabFocus(d, e.shiftKey);
    } else if (e.key === 'Escape' && plain) {
      e.preventDefault();
      push(Ev.DialogCommand, d.serial, IdCancel);
    } else if (e.key === 'Enter' && !e.ctrlKey && !e.altKey) {
      // Enter presses a push button that has the focus, and otherwise the default button.
      if (document.activeElement && document.activeElement.tagName === 'BUTTON') return;
      e.preventDefault();
      push(Ev.DialogCommand, d.serial, defaultButton(d));
    } else if (e.key.length === 1 && (e.altKey || (plain && !(document.activeElement || {}).type?.startsWith('range')))) {
      const letter = e.key.toLowerCase();
      const hit = d.controls.find((c) => c.mnemonic === letter);
      if (!hit || (!e.altKey && e.key === ' ')) return;
      e.preventDefault();
      activate(d, hit);
    }
  }

  // A mnemonic: a button is pressed, a check box or radio button used, a label hands the focus to the next control.
  function activate(d, c) {
    if (c.def.kind === Kind.Label) {
      const next = d.controls.slice(c.index + 1).find(canFocus);
      if (next) next.focus.focus();
      return;
    }
    if (!canFocus(c)) return;
    c.focus.focus();
    c.focus.click();
  }

  function place(d) {
    const e = d.element;
    const width = e.offsetWidth, height = e.offsetHeight;
    const page = { w: window.innerWidth, h: window.innerHeight };
    let x, y;
    if (d.template.centred) {
      x = (page.w - width) / 2;
      y = (page.h - height) / 2;
    } else {
      const area = $('area').getBoundingClientRect();
      x = area.left + d.X(d.template.x);
      y = area.top + d.Y(d.template.y);
    }
    // A dialog never reaches off the page, buttons and all.
    x = Math.max(0, Math.min(x, page.w - width));
    y = Math.max(0, Math.min(y, page.h - height));
    e.style.left = Math.round(x) + 'px';
    e.style.top = Math.round(y) + 'px';
  }

  function showDialog(serial) {
    const d = dialogs.get(serial);
    if (!d) return;
    d.element.style.visibility = '';
    if (!moveTabFocus(d, false)) {
      const c = d.controls.find((o) => o.def.kind === Kind.DefaultButton);
      if (c) c.focus.focus();
    }
  }

  function closeModal(d) {
    const at = modals.indexOf(d);
    if (at >= 0) modals.splice(at, 1);
    d.element.remove();
    showLayer();
    const top = modals[modals.length - 1];
    if (top) (top.returnFocus || top.element).focus();
  }

  function showLayer() {
    $('modal-layer').classList.toggle('active', modals.length > 0);
    if (modals.length) Menu.close();
  }

  function closeDialog(serial) {
    const d = dialogs.get(serial);
    if (!d) return;
    dialogs.delete(serial);
    d.returnFocus = null;
    closeModal(d);
  }

  function setSlider(serial, id, what, a, b) {
    const c = find(serial, id);
    if (!c || c.def.kind !== Kind.Slider) return;
    const input = c.focus;
    if (what === 0) {
      c.min = a; c.max = b;
      input.min = a; input.max = b;
      c.last = +input.value;
    } else if (what === 1) {
      c.ticks = a;
    } else {
      input.value = Math.max(c.min, Math.min(c.max, a));
      c.last = +input.value;
      return;
    }
    drawTicks(c);
  }

  function drawTicks(c) {
    const ticks = c.ticksElement;
    ticks.textContent = '';
    const span = c.max - c.min;
    if (c.ticks <= 0 || span <= 0 || span / c.ticks > 1000) return;
    const thumb = 11; // the thumb's width in the style sheet: its centre travels within the track's ends
    const at = (v) => thumb / 2 + (v - c.min) / span * (c.width - thumb);
    const values = [];
    for (let v = c.min; v <= c.max; v += c.ticks) values.push(v);
    if (span % c.ticks) values.push(c.max);
    for (const v of values) {
      const tick = document.createElement('i');
      tick.style.left = Math.floor(at(v)) + 'px';
      ticks.append(tick);
    }
  }

  function setIcon(serial, index, argb, width, height) {
    const d = dialogs.get(serial);
    const c = d && d.controls[index];
    if (!c || c.def.kind !== Kind.Icon) return;
    const canvas = c.element;
    const context = canvas.getContext('2d');
    if (!argb) { // the system's information sign, drawn at the screen's pixels
      const scale = window.devicePixelRatio || 1;
      canvas.width = canvas.height = Math.round(32 * scale);
      context.scale(scale, scale);
      context.fillStyle = '#1c5cb0';
      context.beginPath();
      context.arc(16, 16, 15, 0, 2 * Math.PI);
      context.fill();
      context.fillStyle = '#fff';
      context.fillRect(14, 13, 4, 12);
      context.fillRect(14, 7, 4, 4);
      return;
    }
    canvas.width = width;
    canvas.height = height;
    // Enlarged a whole number of times, each icon pixel becomes a sharp block; otherwise it is smoothed.
    const device = Math.round(32 * (window.devicePixelRatio || 1));
    canvas.style.imageRendering = device % width === 0 ? 'pixelated' : 'auto';
    const picture = context.createImageData(width, height);
    for (let i = 0; i < width * height; i++) {
      const v = argb[i];
      picture.data.set([(v >>> 16) & 255, (v >>> 8) & 255, v & 255, v >>> 24], i * 4);
    }
    context.putImageData(picture, 0, 0);
  }

  function setCheck(serial, id, checked) {
    const c = find(serial, id);
    if (c && c.focus && 'checked' in c.focus && c.focus.type !== 'range') c.focus.checked = checked;
  }

  function setText(serial, id, text) {
    const c = find(serial, id);
    if (c && c.text) c.text.textContent = text;
  }

  function dialogRect(serial) {
    const d = dialogs.get(serial);
    if (!d) return [0, 0, 0, 0];
    const r = d.element.getBoundingClientRect();
    return [Math.round(r.left), Math.round(r.top), Math.round(r.right), Math.round(r.bottom)];
  }

  function moveDialog(serial, x, y) {
    const d = dialogs.get(serial);
    if (!d) return;
    d.element.style.left = x + 'px';
    d.element.style.top = y + 'px';
  }

  // Message boxes: the question keeps the manners of the system the game was written for: Yes | No, Yes the default
  // with the focus, Y and N answer it, Escape does not (there is no Cancel to stand for).
  const boxes = new Map();
  function openBox(serial, question, text, caption) {
    const b = Object.assign(frame(caption), { serial, kind: 'box' });
    b.element.classList.add('message-box');
    const row = document.createElement('div');
    row.className = 'box-row';
    const sign = document.createElement('div');
    sign.className = 'box-sign ' + (question ? 'question' : 'error');
    sign.textContent = question ? '?' : '\u00d7';
    const message = document.createElement('div');
    message.className = 'box-text';
    message.textContent = text;
    row.append(sign, message);
    const buttons = document.createElement('div');
    buttons.className = 'box-buttons';
    const answer = (value) => push(Ev.BoxAnswer, serial, value);
    const button = (label, value) => {
      const element = document.createElement('button');
      element.type = 'button';
      setMnemonicText(element, label, true);
      element.addEventListener('click', () => answer(value));
      buttons.append(element);
      return element;
    };
    const first = question ? button('&Yes', 1) : button('OK', 1);
    if (question) button('&No', 0);
    first.classList.add('default');
    b.client.append(row, buttons);
    b.element.addEventListener('keydown', (e) => {
      if (modals[modals.length - 1] !== b || e.ctrlKey || e.metaKey || typeof e.key !== 'string') return;
      const key = e.key.toLowerCase();
      if (question && (key === 'y' || key === 'n')) { e.preventDefault(); answer(key === 'y' ? 1 : 0); }
      else if (key === 'escape') { e.preventDefault(); if (!question) answer(1); }
      else if (key === 'tab') {
        e.preventDefault();
        const all = Array.from(buttons.children);
        const at = all.indexOf(document.activeElement);
        all[(at + (e.shiftKey ? all.length - 1 : 1)) % all.length].focus();
      }
    });
    boxes.set(serial, b);
    modals.push(b);
    showLayer();
    b.element.style.visibility = '';
    const width = b.element.offsetWidth, height = b.element.offsetHeight;
    b.element.style.left = Math.round(Math.max(0, (window.innerWidth - width) / 2)) + 'px';
    b.element.style.top = Math.round(Math.max(0, (window.innerHeight - height) / 2)) + 'px';
    first.focus();
    b.returnFocus = first;
  }

  function closeBox(serial) {
    const b = boxes.get(serial);
    if (!b) return;
    boxes.delete(serial);
    closeModal(b);
  }

  // Keys while a dialog or box is up belong to it; a click beside it gives it back the keyboard.
  function modalKey(e) {
    const top = modals[modals.length - 1];
    if (!top.element.contains(document.activeElement)) {
      (top.returnFocus || top.controls?.find(canFocus)?.focus || top.element).focus();
    }
    if (e.key in GameKeys && e.target === document.body) e.preventDefault();
  }

  // ---- the end of the game ----
  function ended() {
    windowOpen = false;
    Menu.close();
    Devices.stopSound();
    $('app').hidden = true;
    $('ended').hidden = false;
    $('again').focus();
  }

  function destroyWindow() {
    windowOpen = false;
    Menu.close();
  }

  // ---- the test hook: only a page opened with ?test has it, and only from a build with the test hooks ----
  const test = { steps: 0, frames: 0, stepTime: 0, stalled: 0 };
  function createTestHook() {
    if (window.dravolinexTest) return;
    window.dravolinexTest = {
      get steps() { return test.steps; },
      get frames() { return test.frames; },
      get stepTime() { return test.stepTime; },
      get stalled() { return test.stalled; },
      get firstFrameAt() { return firstFrameAt; },
      // The open dialogs and boxes, front last: title, controls in template order, the focused control's id.
      modals() {
        return modals.map((m) => ({
          title: m.bar.textContent,
          controls: (m.controls || []).map((c) => ({ id: c.def.id, kind: c.def.kind, style: c.def.style,
            text: c.def.text, value: c.focus ? (c.focus.type === 'range' ? +c.focus.value : c.focus.checked) : null })),
          focused: m.controls ? (focusedControl(m) || { def: { id: null } }).def.id : null,
        }));
      },
    };
  }

  window.addEventListener('keydown', onKeyDown, true);
  window.addEventListener('keyup', onKeyUp, true);
  window.addEventListener('pointerdown', (e) => {
    Devices.unlockAudio();
    if (Menu.isOpen() && !e.target.closest('.menu-popup, .menu-top')) Menu.close();
  }, true);
  // Keys released while the page had no keyboard are released for the game too.
  window.addEventListener('blur', () => push(Ev.FocusLost));
  document.addEventListener('visibilitychange', () => { if (document.hidden) push(Ev.FocusLost); });
  window.addEventListener('DOMContentLoaded', () => $('again').addEventListener('click', () => location.reload()));

  window.Dravolinex = {
    takeEvent: () => events.shift(),
    testMode: () => { if (testOn) createTestHook(); return testOn; },
    testSeed: () => (testOn && /^\d+$/.test(params.get('seed') || '') ? Number(params.get('seed')) : -1),
    testFrozen: () => testOn && params.has('freeze'),
    testCounts(steps, frames) {
      if (steps !== test.steps) {
        // The time the browser held the page beyond the pacer's catch-up of 10 steps (100 ms): steps lost there are
        // the browser's, not the game's.
        const now = performance.now();
        if (test.stepTime) test.stalled += Math.max(0, now - test.stepTime - 100);
        test.stepTime = now;
      }
      test.steps = steps;
      test.frames = frames;
    },
    createWindow, destroyWindow, present, ended,
    areaWidth: () => $('area').clientWidth,
    areaHeight: () => $('area').clientHeight,
    areaTop: () => Math.round($('area').getBoundingClientRect().top),
    openDialog, showDialog, closeDialog, setSlider, getSlider: (s, id) => +(find(s, id) || { focus: { value: 0 } }).focus.value,
    setCheck, getCheck: (s, id) => !!(find(s, id) || { focus: {} }).focus.checked, setText,
    setCaption: (s, text) => { const d = dialogs.get(s); if (d) d.bar.textContent = text; },
    setIcon, dialogRect, moveDialog, openBox, closeBox,
    playSound: Devices.playSound, stopSound: Devices.stopSound, gamepad: Devices.gamepad,
    storeRead: Devices.storeRead, storeWrite: Devices.storeWrite,
  };
})();

// The game's code is fetched and compiled while the browser still loads dravolinex.js.
var Module = (() => {
  const compiled = WebAssembly.compileStreaming
    ? WebAssembly.compileStreaming(fetch('dravolinex.wasm'))
    : fetch('dravolinex.wasm').then((r) => r.arrayBuffer()).then((b) => WebAssembly.compile(b));
  return {
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    instantiateWasm(imports, receive) {
      compiled.then((module) => WebAssembly.instantiate(module, imports))
        .then((instance) => receive(instance))
        .catch((error) => console.error('Dravolinex could not start: ' + error));
      return {};
    },
  };
})();
