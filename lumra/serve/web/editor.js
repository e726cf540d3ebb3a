// The material editor's page: draws the panel's controls where the host's window
// tree has them, sends each change to the server, which makes it through the real
// panel, and shows the sample slot as the server renders it.
'use strict';

const panel = document.getElementById('panel');
const preview = document.getElementById('preview');
const previewState = document.getElementById('preview-state');
const statusLine = document.getElementById('status');
const materials = document.getElementById('materials');

let elements = [];   // by the control's index in the window tree
let controls = [];
let generation = 0;  // the newest state of the material this page knows of
let shown = -1;      // the generation of the picture shown

function say(text, isError) {
  statusLine.textContent = text;
  statusLine.className = isError ? 'error' : '';
}

async function request(method, url, body, type) {
  const init = { method, headers: {} };
  if (body !== undefined) {
    init.body = body;
    init.headers['Content-Type'] = type || 'application/json';
  }
  const res = await fetch(url, init);
  const text = await res.text();
  if (!res.ok) throw new Error(text.trim() || res.statusText);
  return text ? JSON.parse(text) : {};
}

function sendEdit(id, value) {
  return request('POST', '/api/edit', JSON.stringify({ control: id, value }))
    .then(reply => { applyChanges(reply); say(''); })
    .catch(err => { say(err.message, true); refreshControl(id); });
}

function refreshControl(id) {
  const c = controls.find(k => k.id === id);
  if (c) show(c);
}

function applyChanges(reply) {
  if (reply.generation > generation) generation = reply.generation;
  for (const c of reply.changed || []) {
    controls[c.index] = c;
    show(c);
  }
}

function make(c) {
  let el;
  switch (c.kind) {
    case 'group':
      el = document.createElement('div');
      el.appendChild(document.createElement('span'));
      break;
    case 'label':
      el = document.createElement('div');
      break;
    case 'edit':
      el = document.createElement('input');
      el.type = 'text';
      el.spellcheck = false;
      el.addEventListener('change', () => {
        const v = Number(el.value.trim());
        if (el.value.trim() === '' || !Number.isFinite(v)) {
          say('"' + el.value + '" is not a number', true);
          show(controls[c.index]);
          return;
        }
        sendEdit(c.id, v);
      });
      break;
    case 'spinner': {
      el = document.createElement('div');
      for (const dir of [1, -1]) {
        const b = document.createElement('button');
        b.type = 'button';
        b.textContent = dir > 0 ? '\u25b2' : '\u25bc';
        b.tabIndex = -1;
        b.addEventListener('click', () => {
          const now = controls[c.index].value;
          const step = controls[c.index].step > 0 ? controls[c.index].step : 0.1;
          sendEdit(c.id, Math.round((now + dir * step) * 1e4) / 1e4);
        });
        el.appendChild(b);
      }
      break;
    }
    case 'swatch':
      el = document.createElement('input');
      el.type = 'color';
      el.addEventListener('change', () => sendEdit(c.id, el.value));
      break;
    case 'check':
      el = document.createElement('input');
      el.type = 'checkbox';
      el.addEventListener('change', () => sendEdit(c.id, el.checked));
      break;
    case 'combo':
      el = document.createElement('select');
      el.addEventListener('change', () => sendEdit(c.id, el.selectedIndex));
      break;
    case 'mapbutton':
      el = document.createElement('button');
      el.type = 'button';
      el.title = 'Drop an image file here';
      break;
    default:
      el = document.createElement('div');
  }
  el.classList.add(c.kind);
  el.dataset.index = c.index;
  if (c.id > 0) el.dataset.id = c.id;
  const [x, y, w, h] = c.rect;
  el.style.left = x + 'px';
  el.style.top = y + 'px';
  el.style.width = w + 'px';
  el.style.height = h + 'px';
  return el;
}

function show(c) {
  const el = elements[c.index];
  if (!el) return;
  el.classList.toggle('hidden', !c.visible);
  el.classList.toggle('disabled', !c.enabled);
  if ('disabled' in el) el.disabled = !c.enabled;
  for (const b of el.querySelectorAll('button')) b.disabled = !c.enabled;
  switch (c.kind) {
    case 'group': el.firstChild.textContent = c.text; break;
    case 'label':
      el.textContent = c.text;
      el.style.textAlign = ['left', 'center', 'right'][c.align] || 'left';
      break;
    case 'edit': el.value = c.text; break;
    case 'swatch': el.value = c.color; break;
    case 'check': el.checked = c.checked; break;
    case 'combo':
      if (el.options.length !== c.items.length ||
          c.items.some((t, i) => el.options[i].text !== t)) {
        el.replaceChildren(...c.items.map(t => new Option(t)));
      }
      el.selectedIndex = c.choice;
      break;
    case 'mapbutton': el.textContent = c.text; break;
  }
}

async function load() {
  const layout = await request('GET', '/api/layout');
  panel.replaceChildren();
  panel.style.width = layout.width + 'px';
  panel.style.height = layout.height + 'px';
  controls = layout.controls;
  elements = [];
  // The window tree lists the top of the Z order first; the page paints in order,
  // so the first control is added last.
  for (const c of controls) elements[c.index] = make(c);
  for (let i = controls.length - 1; i >= 0; --i) panel.appendChild(elements[i]);
  for (const c of controls) show(c);
  if (layout.generation > generation) generation = layout.generation;
  preview.width = preview.height = layout.previewSize;
  materials.replaceChildren(...layout.materials.map((n, i) => new Option((i + 1) + ': ' + n)));
  materials.selectedIndex = layout.current;
  materials.hidden = layout.materials.length < 2;
  document.getElementById('save-file').textContent =
    layout.saveFile ? 'Save writes ' + layout.saveFile : '';
  document.body.dataset.ready = 'yes';
}

function listen() {
  const events = new EventSource('/api/events');
  events.addEventListener('preview', e => {
    const p = JSON.parse(e.data);
    // A picture of a state older than the newest edit is never shown.
    if (p.generation < generation) return;
    generation = Math.max(generation, p.generation);
    shown = p.generation;
    preview.src = p.png;
    preview.dataset.generation = p.generation;
    preview.dataset.size = p.size;
    preview.dataset.last = p.last ? 'yes' : 'no';
    previewState.textContent = p.last ? '' : 'refining (' + p.size + ' px)…';
  });
  events.addEventListener('controls', e => applyChanges(JSON.parse(e.data)));
  events.addEventListener('layout', () => load().catch(err => say(err.message, true)));
}

// Files dragged from the desktop: the server keeps the bytes and drops the file on
// the real panel at the same point.
function mapButtonAt(e) {
  const el = document.elementFromPoint(e.clientX, e.clientY);
  return el && el.classList.contains('mapbutton') ? el : null;
}
let target = null;
function mark(el) {
  if (target === el) return;
  if (target) target.classList.remove('target');
  target = el;
  if (target) target.classList.add('target');
}
document.addEventListener('dragover', e => {
  e.preventDefault();
  mark(mapButtonAt(e));
});
document.addEventListener('dragleave', () => mark(null));
document.addEventListener('drop', async e => {
  e.preventDefault();
  mark(null);
  const file = e.dataTransfer && e.dataTransfer.files[0];
  if (!file) return;
  const r = panel.getBoundingClientRect();
  const x = Math.floor(e.clientX - r.left), y = Math.floor(e.clientY - r.top);
  if (x < 0 || y < 0 || x >= r.width || y >= r.height) {
    say(file.name + ': drop files on the panel\'s map buttons', true);
    return;
  }
  say('uploading ' + file.name + '…');
  try {
    const reply = await request('POST', '/api/drop?x=' + x + '&y=' + y + '&name=' +
                                encodeURIComponent(file.name), file, 'application/octet-stream');
    applyChanges(reply);
    say(reply.slot >= 0 ? reply.slotName + ' holds the bitmap texture "' + reply.texture + '"'
                        : file.name + ': no map button takes it there; nothing changed');
  } catch (err) {
    say(err.message, true);
  }
});

document.getElementById('save').addEventListener('click', async () => {
  try {
    const reply = await request('POST', '/api/save', '{}');
    say('saved ' + reply.saved);
  } catch (err) {
    say(err.message, true);
  }
});
document.getElementById('open').addEventListener('change', async e => {
  const file = e.target.files[0];
  e.target.value = '';
  if (!file) return;
  try {
    await request('POST', '/api/open', file, 'application/octet-stream');
    await load();
    say('opened ' + file.name);
  } catch (err) {
    say(err.message, true);
  }
});
materials.addEventListener('change', async () => {
  try {
    await request('POST', '/api/material', JSON.stringify({ index: materials.selectedIndex }));
    await load();
  } catch (err) {
    say(err.message, true);
  }
});

load().then(listen).catch(err => say(err.message, true));
