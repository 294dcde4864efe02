// The page's menu bar, built from the game's menu table: mouse and keyboard (Alt+letter opens a menu by its
// mnemonic; arrows, Enter, Escape and the items' letters work in it). Also the '&' mnemonic texts the dialogs share.
'use strict';
window.DravolinexMenu = (function () {
  // ---- text with '&' mnemonic marks ("&&" is a literal '&') ----
  function mnemonicOf(text) {
    const m = /(?:^|[^&])(?:&&)*&([^&])/.exec(text);
    return m ? m[1].toLowerCase() : '';
  }
  function setMnemonicText(element, text, prefix) {
    element.textContent = '';
    if (!prefix) { element.textContent = text; return; }
    let plain = '';
    for (let i = 0; i < text.length; i++) {
      if (text[i] === '&' && i + 1 < text.length) {
        i++;
        if (text[i] !== '&') {
          element.append(plain);
          plain = '';
          const u = document.createElement('u');
          u.textContent = text[i];
          element.append(u);
          continue;
        }
      }
      plain += text[i];
    }
    element.append(plain);
  }

  // ---- the menu bar from the menu table ----
  let menuState = null; // { top: index of the open top item, sub: open submenu element or null }
  const topItems = [];

  let onCommand = null;

  function buildMenu(text, chosen) {
    onCommand = chosen;
    const bar = document.getElementById('menubar');
    bar.textContent = '';
    topItems.length = 0;
    const stack = [bar];
    for (const line of text.split('\n')) {
      if (!line) continue;
      const [kind, flags, command, label] = line.split('\x1f');
      const parent = stack[stack.length - 1];
      if (kind === '0') { // a popup begins
        const item = document.createElement(parent === bar ? 'button' : 'li');
        item.className = parent === bar ? 'menu-top' : 'menu-item has-sub';
        item.tabIndex = -1;
        const caption = document.createElement('span');
        setMnemonicText(caption, label, true);
        if (parent !== bar) {
          const mark = document.createElement('span');
          mark.className = 'menu-check';
          item.append(mark);
        }
        item.append(caption);
        item.dataset.mnemonic = mnemonicOf(label);
        const list = document.createElement('ul');
        list.className = 'menu-popup';
        list.setAttribute('role', 'menu');
        list.hidden = true;
        if (parent === bar) {
          item.setAttribute('role', 'menuitem');
          bar.append(item);
          topItems.push({ button: item, list });
          document.body.append(list);
        } else {
          const arrow = document.createElement('span');
          arrow.className = 'menu-key';
          arrow.textContent = '\u25b8';
          item.append(arrow);
          item.append(list);
          parent.append(item);
        }
        stack.push(list);
      } else if (kind === '1') {
        if (stack.length > 1) stack.pop();
      } else if (kind === '3') {
        const sep = document.createElement('li');
        sep.className = 'menu-separator';
        parent.append(sep);
      } else {
        const item = document.createElement('li');
        item.className = 'menu-item';
        item.setAttribute('role', 'menuitem');
        item.tabIndex = -1;
        const [caption, shortcut] = label.split('\t');
        const mark = document.createElement('span');
        mark.className = 'menu-check';
        mark.textContent = (Number(flags) & 1) ? '\u2713' : '';
        const name = document.createElement('span');
        setMnemonicText(name, caption, true);
        const key = document.createElement('span');
        key.className = 'menu-key';
        key.textContent = shortcut || '';
        item.append(mark, name, key);
        item.dataset.mnemonic = mnemonicOf(caption);
        item.dataset.command = command;
        if (Number(flags) & 2) item.dataset.disabled = '1';
        parent.append(item);
      }
    }
    topItems.forEach((top, index) => {
      top.button.addEventListener('mousedown', (e) => {
        e.preventDefault();
        if (menuState && menuState.top === index) closeMenu(); else openMenu(index, false);
      });
      top.button.addEventListener('mouseenter', () => { if (menuState && menuState.top !== index) openMenu(index, false); });
      top.list.addEventListener('click', (e) => {
        const item = e.target.closest('.menu-item');
        if (item) chooseItem(item);
      });
      top.list.addEventListener('mouseover', (e) => {
        const item = e.target.closest('.menu-item');
        if (item) highlight(item);
      });
    });
  }

  const menuOpen = () => menuState !== null;

  function openMenu(index, selectFirst) {
    closeMenu();
    const top = topItems[index];
    const r = top.button.getBoundingClientRect();
    top.list.style.left = r.left + 'px';
    top.list.style.top = r.bottom + 'px';
    top.list.hidden = false;
    top.button.classList.add('open');
    menuState = { top: index, current: null };
    if (selectFirst) highlight(itemsOf(top.list)[0]);
  }

  function closeMenu() {
    if (!menuState) return;
    const top = topItems[menuState.top];
    top.list.hidden = true;
    top.button.classList.remove('open');
    for (const list of top.list.querySelectorAll('.menu-popup')) list.hidden = true;
    for (const item of top.list.querySelectorAll('.current')) item.classList.remove('current');
    menuState = null;
  }

  const itemsOf = (list) => Array.from(list.children).filter((c) => c.classList.contains('menu-item'));

  function highlight(item) {
    if (!item || !menuState) return;
    const list = item.parentElement;
    for (const other of list.querySelectorAll('.current')) other.classList.remove('current');
    for (const sub of list.querySelectorAll('.menu-popup')) sub.hidden = true;
    item.classList.add('current');
    menuState.current = item;
    if (item.classList.contains('has-sub')) item.querySelector('.menu-popup').hidden = false;
  }

  function chooseItem(item) {
    if (item.classList.contains('has-sub')) {
      highlight(item);
      highlight(itemsOf(item.querySelector('.menu-popup'))[0]);
      return;
    }
    if (item.dataset.disabled) return; // shown like the others, but it cannot be chosen
    closeMenu();
    onCommand(Number(item.dataset.command));
  }

  function openMenuByMnemonic(letter) {
    const index = topItems.findIndex((t) => t.button.dataset.mnemonic === letter);
    if (index < 0) return false;
    openMenu(index, true);
    return true;
  }

  function menuKey(e) {
    e.preventDefault();
    const current = menuState.current;
    const list = current ? current.parentElement : topItems[menuState.top].list;
    const items = itemsOf(list);
    const at = items.indexOf(current);
    const nested = list !== topItems[menuState.top].list;
    switch (e.key) {
      case 'Escape':
        if (nested) highlight(list.parentElement); else closeMenu();
        break;
      case 'ArrowDown': highlight(items[(at + 1) % items.length]); break;
      case 'ArrowUp': highlight(items[(at - 1 + items.length) % items.length]); break;
      case 'ArrowRight':
        if (current && current.classList.contains('has-sub')) chooseItem(current);
        else openMenu((menuState.top + 1) % topItems.length, true);
        break;
      case 'ArrowLeft':
        if (nested) highlight(list.parentElement);
        else openMenu((menuState.top - 1 + topItems.length) % topItems.length, true);
        break;
      case 'Enter': case ' ':
        if (current) chooseItem(current);
        break;
      case 'Alt':
        closeMenu();
        break;
      default: {
        const letter = e.key.toLowerCase();
        const hit = items.find((i) => i.dataset.mnemonic === letter);
        if (hit) chooseItem(hit);
        else if (e.altKey) openMenuByMnemonic(letter);
      }
    }
  }

  return { mnemonicOf, setMnemonicText, build: buildMenu, isOpen: menuOpen, close: closeMenu, key: menuKey,
           openByMnemonic: openMenuByMnemonic };
})();
