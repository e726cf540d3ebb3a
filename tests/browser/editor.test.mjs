// The editor page of `lumra serve` in a real browser (headless Chromium): the panel
// drawn where the live panel has its controls, edits that change the preview and
// the panel's own behaviour, a PNG dragged from the desktop onto a map button, Save
// read back by `lumra load`, and a request without the token refused.
//
// node --test editor.test.mjs, with LUMRA_EXE (the lumra program), CHROMIUM (the
// browser's binary) and ARTIFACTS (a folder for the screenshot) in the environment.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import http from 'node:http';
import puppeteer from 'puppeteer-core';

const lumra = process.env.LUMRA_EXE;
const chromium = process.env.CHROMIUM || '/usr/lib/chromium/chromium';
const artifacts = process.env.ARTIFACTS || os.tmpdir();
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lumra-browser-'));
const savedScene = path.join(work, 'saved.lsc');
const picture = path.join(work, 'brick_01.png');

let server, address, browser, page;

function startServer() {
  return new Promise((resolve, reject) => {
    server = spawn(lumra, ['serve', '--port', '0', '--size', '64', '--save', savedScene],
                   { stdio: ['ignore', 'pipe', 'inherit'] });
    let out = '';
    server.stdout.on('data', d => {
      out += d;
      const m = out.match(/open (http:\/\/\S+)/);
      if (m) resolve(m[1]);
    });
    server.on('exit', code => reject(new Error('lumra serve ended with ' + code)));
  });
}

// The page's controls: each one's box relative to the panel, in CSS pixels.
async function boxes() {
  return page.evaluate(() => {
    const panel = document.getElementById('panel').getBoundingClientRect();
    return [...document.querySelectorAll('#panel > [data-index]')].map(el => {
      const r = el.getBoundingClientRect();
      return { index: Number(el.dataset.index), hidden: el.classList.contains('hidden'),
               rect: [r.left - panel.left, r.top - panel.top, r.width, r.height] };
    });
  });
}

async function layout() {
  return page.evaluate(() => fetch('/api/layout').then(r => r.json()));
}

async function previewAfter(generation) {
  await page.waitForFunction(
    g => Number(document.getElementById('preview').dataset.generation) > g &&
         document.getElementById('preview').dataset.last === 'yes',
    { timeout: 20000 }, generation);
  return page.$eval('#preview', img => ({ src: img.src, generation: Number(img.dataset.generation) }));
}

before(async () => {
  // A real PNG, as a user would have one on the desktop.
  execFileSync(lumra, ['render', '--size', '16', '--set', 'mtl_diffuse_color=0.8,0.2,0.1',
                       '-o', picture], { stdio: 'ignore' });
  address = await startServer();
  browser = await puppeteer.launch({
    executablePath: chromium, headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
  });
  page = await browser.newPage();
  await page.setViewport({ width: 900, height: 800 });
  await page.goto(address);
  await page.waitForSelector('body[data-ready="yes"]');
});

after(async () => {
  if (page) await page.screenshot({ path: path.join(artifacts, 'editor.png'), fullPage: true });
  if (browser) await browser.close();
  if (server) {
    const ended = new Promise(r => server.once('exit', r));
    server.kill('SIGINT');  // Ctrl-C
    await ended;
  }
  fs.rmSync(work, { recursive: true, force: true });
});

test('the panel shows the template\'s controls where the live panel has them', async () => {
  const { controls } = await layout();
  const shown = await boxes();
  assert.equal(controls.length, 106);
  assert.equal(shown.length, controls.length);
  for (const c of controls) {
    const b = shown.find(s => s.index === c.index);
    assert.equal(b.hidden, !c.visible, 'control ' + c.index);
    if (!c.visible) continue;
    for (let k = 0; k < 4; ++k)
      assert.ok(Math.abs(b.rect[k] - c.rect[k]) <= 1,
                `control ${c.index} (${c.id} ${c.kind}) at ${b.rect} instead of ${c.rect}`);
  }
  assert.equal(await page.$eval('[data-id="1013"]', s => s.value), 'GGX');
  assert.equal(await page.$eval('[data-id="1003"]', b => b.textContent), 'None');
});

async function typeInto(id, text) {
  const edit = await page.$(`input[data-id="${id}"]`);
  await edit.click({ clickCount: 3 });
  await edit.type(text);
  await edit.press('Enter');
}

test('changing glossiness changes the preview', async () => {
  // The new material reflects nothing: its reflection on first, as an artist would.
  await typeInto(1054, '1');
  await page.waitForFunction(() => document.querySelector('input[data-id="1054"]').value === '1.0');
  const first = await previewAfter((await layout()).generation - 1);
  const edit = await page.$('input[data-id="1072"]');
  await edit.click({ clickCount: 3 });
  await edit.type('0.2');
  await edit.press('Enter');
  const next = await previewAfter(first.generation);
  assert.notEqual(next.src, first.src);
  assert.equal(await page.$eval('input[data-id="1072"]', e => e.value), '0.2');
});

test('choosing Beckmann switches the anisotropy controls on', async () => {
  assert.equal(await page.$eval('input[data-id="1102"]', e => e.disabled), true);
  await page.select('select[data-id="1013"]', 'Beckmann');
  await page.waitForFunction(() => !document.querySelector('input[data-id="1102"]').disabled &&
                                   !document.querySelector('input[data-id="1101"]').disabled);
});

test('a PNG dragged onto the diffuse map button becomes its texture', async () => {
  const before = await page.$eval('#preview', img => Number(img.dataset.generation));
  const box = await (await page.$('[data-id="1003"]')).boundingBox();
  const at = { x: box.x + box.width / 2, y: box.y + box.height / 2 };
  const data = { items: [], files: [picture], dragOperationsMask: 1 };
  await page.mouse.dragEnter(at, data);
  await page.mouse.dragOver(at, data);
  await page.mouse.drop(at, data);
  await page.waitForFunction(() => document.querySelector('[data-id="1003"]').textContent === 'brick_01');
  const after = await previewAfter(before);
  assert.ok(after.generation > before);
  assert.match(await page.$eval('#status', s => s.textContent), /brick_01/);
});

test('Save writes a scene that lumra load reads with the edits and the map', async () => {
  await page.click('#save');
  await page.waitForFunction(() => /^saved /.test(document.getElementById('status').textContent));
  const listing = execFileSync(lumra, ['load', savedScene], { encoding: 'utf8' });
  assert.match(listing, /mtl_refl_gloss\D+0\.2\b/);
  assert.match(listing, /mtl_reflect_brdf\b.*Beckmann/);
  assert.match(listing, /brick_01/);
});

test('a request without the token is refused', async () => {
  const url = new URL(address);
  const status = await new Promise((resolve, reject) => {
    http.get({ host: url.hostname, port: url.port, path: '/api/layout' }, res => {
      res.resume();
      resolve(res.statusCode);
    }).on('error', reject);
  });
  assert.equal(status, 403);
  // Nor does another site's page get in with the browser's cookie.
  const other = await browser.newPage();
  await other.goto('about:blank');
  const result = await other.evaluate(u => fetch(u + 'api/layout', { credentials: 'include' })
    .then(r => String(r.status), e => 'blocked: ' + e.message), url.origin + '/');
  assert.notEqual(result, '200');
  await other.close();
});
