// The page's devices: the game's WAVE sounds on Web Audio (after the first key or click, as browsers allow), the
// gamepad as the joystick, and the settings store's item and the kept replays in localStorage.
'use strict';
window.DravolinexDevices = (function () {
  const StorageItem = 'dravolinex.settings';
  const ReplayPrefix = 'dravolinex.replay.';

  // ---- sound: the game's WAVE files on Web Audio, after the first key or click ----
  let audio = null;
  let voice = null;
  const buffers = new Map();

  function unlockAudio() {
    if (audio) return;
    try {
      const Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return;
      audio = new Context();
      if (audio.state === 'suspended') audio.resume().catch(() => {});
    } catch (error) {
      audio = null;
    }
  }

  // A RIFF WAVE file of PCM samples (8-bit unsigned or 16-bit signed) as an audio buffer; null for anything else.
  function decodeWave(bytes) {
    const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    const tag = (at) => String.fromCharCode(bytes[at], bytes[at + 1], bytes[at + 2], bytes[at + 3]);
    if (bytes.length < 12 || tag(0) !== 'RIFF' || tag(8) !== 'WAVE') return null;
    let format = null;
    for (let at = 12; at + 8 <= bytes.length;) {
      const size = view.getUint32(at + 4, true);
      const body = at + 8;
      if (tag(at) === 'fmt ' && size >= 16) {
        format = { code: view.getUint16(body, true), channels: view.getUint16(body + 2, true),
                   rate: view.getUint32(body + 4, true), bits: view.getUint16(body + 14, true) };
      } else if (tag(at) === 'data' && format && format.code === 1 && (format.bits === 8 || format.bits === 16)) {
        const step = format.bits / 8 * format.channels;
        const frames = Math.floor(Math.min(size, bytes.length - body) / step);
        if (!frames || format.rate < 3000 || format.rate > 384000) return null;
        const buffer = audio.createBuffer(1, frames, format.rate);
        const out = buffer.getChannelData(0);
        for (let i = 0; i < frames; i++) {
          const p = body + i * step;
          out[i] = format.bits === 8 ? (bytes[p] - 128) / 128 : view.getInt16(p, true) / 32768;
        }
        return buffer;
      }
      at = body + size + (size & 1);
    }
    return null;
  }

  function playSound(id, bytes, loop) {
    stopSound();
    if (!audio || !bytes) return;
    try {
      if (!buffers.has(id)) buffers.set(id, decodeWave(bytes));
      const buffer = buffers.get(id);
      if (!buffer) return;
      voice = audio.createBufferSource();
      voice.buffer = buffer;
      voice.loop = loop;
      voice.connect(audio.destination);
      voice.start();
    } catch (error) {
      voice = null; // no sound, and no complaint: the game plays on silently
    }
  }

  function stopSound() {
    if (!voice) return;
    try { voice.stop(); } catch (error) { /* already ended */ }
    voice = null;
  }

  // ---- the gamepad as the joystick: axes 0..65535, buttons as bits ----
  function gamepad(slot) {
    const pads = navigator.getGamepads ? navigator.getGamepads() : [];
    const pad = pads && pads[slot];
    if (!pad || pad.connected === false) return null;
    const axis = (i) => {
      const v = Number(pad.axes && pad.axes[i]) || 0;
      return Math.round((Math.max(-1, Math.min(1, v)) + 1) / 2 * 65535);
    };
    let buttons = 0;
    (pad.buttons || []).slice(0, 32).forEach((b, i) => { if (b && (b.pressed || b.value > 0.5)) buttons |= 1 << i; });
    return [axis(0), axis(1), axis(2), buttons >>> 0];
  }

  // ---- the settings store and the kept replays in localStorage, as base64 text ----
  // Storage that is full or switched off is said once in the page for each thing it cannot keep.
  const noticeSaid = new Set();
  function storageNotice(what) {
    if (noticeSaid.has(what)) return;
    noticeSaid.add(what);
    const notice = document.getElementById('notice');
    const line = document.createElement('div');
    line.textContent = 'This browser does not let the page keep data here (private mode or full storage): ' +
      (what === 'replays' ? 'you can play, but your flights will not be kept as replays.'
                          : 'you can play, but your options will not be kept.');
    notice.append(line);
    notice.hidden = false;
  }

  const toBase64 = (bytes) => {
    let text = '';
    for (let i = 0; i < bytes.length; i++) text += String.fromCharCode(bytes[i]);
    return btoa(text);
  };
  // Null for a value that is not base64: a foreign or damaged value.
  const fromBase64 = (text) => {
    try {
      return Uint8Array.from(atob(text), (ch) => ch.charCodeAt(0));
    } catch (error) {
      return null;
    }
  };

  function storeRead() {
    let text;
    try {
      text = window.localStorage.getItem(StorageItem);
    } catch (error) {
      storageNotice('options');
      return null;
    }
    return text === null ? null : fromBase64(text); // a damaged value reads as an empty store
  }

  function storeWrite(bytes) {
    try {
      window.localStorage.setItem(StorageItem, toBase64(bytes));
      return true;
    } catch (error) {
      storageNotice('options');
      return false;
    }
  }

  // Each kept replay is the item ReplayPrefix + its file name; setItem writes it whole or not at all.
  function replayWrite(name, bytes) {
    try {
      window.localStorage.setItem(ReplayPrefix + name, toBase64(bytes));
      return true;
    } catch (error) {
      storageNotice('replays');
      return false;
    }
  }

  function replayNames() {
    try {
      const names = [];
      for (let i = 0; i < window.localStorage.length; i++) {
        const key = window.localStorage.key(i);
        if (key && key.startsWith(ReplayPrefix) && !key.includes('\n')) names.push(key.slice(ReplayPrefix.length));
      }
      return names;
    } catch (error) {
      return [];
    }
  }

  function replayDelete(name) {
    try {
      if (window.localStorage.getItem(ReplayPrefix + name) === null) return false;
      window.localStorage.removeItem(ReplayPrefix + name);
      return true;
    } catch (error) {
      return false;
    }
  }

  // The bytes of the kept replay `name`; null when it is gone or damaged.
  function replayBytes(name) {
    try {
      const text = window.localStorage.getItem(ReplayPrefix + name);
      return text === null ? null : fromBase64(text);
    } catch (error) {
      return null;
    }
  }

  return { unlockAudio, playSound, stopSound, gamepad, storeRead, storeWrite, replayWrite, replayNames, replayDelete,
           replayBytes };
})();
