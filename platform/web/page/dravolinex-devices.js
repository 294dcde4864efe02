// The page's devices: the game's WAVE sounds on Web Audio (after the first key or click, as browsers allow), the
// gamepad as the joystick, and the settings store's item in localStorage.
'use strict';
window.DravolinexDevices = (function () {
  const StorageItem = 'dravolinex.settings';

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

  // ---- the settings store in localStorage ----
  let storageNoticeShown = false;
  function storageNotice() {
    if (storageNoticeShown) return;
    storageNoticeShown = true;
    const notice = document.getElementById('notice');
    notice.textContent = 'This browser does not let the page keep data here (private mode or full storage): ' +
      'you can play, but your options will not be kept.';
    notice.hidden = false;
  }

  function storeRead() {
    let text;
    try {
      text = window.localStorage.getItem(StorageItem);
    } catch (error) {
      storageNotice();
      return null;
    }
    if (text === null) return null;
    try {
      return Uint8Array.from(atob(text), (ch) => ch.charCodeAt(0));
    } catch (error) {
      return null; // not base64: a foreign or damaged value reads as an empty store
    }
  }

  function storeWrite(bytes) {
    try {
      let text = '';
      for (let i = 0; i < bytes.length; i++) text += String.fromCharCode(bytes[i]);
      window.localStorage.setItem(StorageItem, btoa(text));
      return true;
    } catch (error) {
      storageNotice();
      return false;
    }
  }

  return { unlockAudio, playSound, stopSound, gamepad, storeRead, storeWrite };
})();
