// The browser build draws the same pixels as the desktop build: the web build folder is served
// on 127.0.0.1, its page runs the deterministic mode in headless Chromium at one moment of every
// part, and each frame is compared with the recorder's still of the same moment (seed 1, 60 fps).
// Then the page starts the show as a visitor does: its music must have gone out through Web
// Audio, and Space then Page Down must hold the next part's first frame, the recorder's frame
// there, with the music stopped one frame after it. Also prints the page's figures: start-up times and the heaviest second of each part.
//
// Usage: node WebStillsTest.mjs SITE_DIR RECORDER_BIN_DIR
// Exit 77 (skipped) when there is no web build or no Chromium.
import {spawn, spawnSync} from 'node:child_process';
import {existsSync, mkdtempSync, readFileSync, rmSync} from 'node:fs';
import {createServer} from 'node:http';
import {tmpdir} from 'node:os';
import {extname, join} from 'node:path';
import {inflateSync} from 'node:zlib';

const [site, bin] = process.argv.slice(2);
const chromium = process.env.CM_CHROMIUM || '/usr/bin/chromium';
// One moment in each of the nine parts, in show seconds.
const moments = ['7', '22', '42', '59', '68.5', '82', '97', '107.5', '120'];
const fps = 60;
const timeoutMs = 20 * 60 * 1000;  // per page

function skip(why) {
  console.log(`SKIPPED: ${why}`);
  process.exit(77);
}
if (!existsSync(join(site, 'index.html')) || !existsSync(join(site, 'coldmeridian.wasm'))) {
  skip(`no web build in ${site} (./web makes it)`);
}
if (!existsSync(chromium)) skip(`no browser at ${chromium} (scripts/deps.sh test installs chromium)`);

// RGB or RGBA 8-bit PNG to RGBA bytes.
function readPng(path) {
  const file = readFileSync(path);
  let at = 8, width = 0, height = 0, channels = 0;
  const idat = [];
  while (at < file.length) {
    const length = file.readUInt32BE(at), type = file.toString('latin1', at + 4, at + 8);
    const body = file.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      [width, height] = [body.readUInt32BE(0), body.readUInt32BE(4)];
      channels = {2: 3, 6: 4}[body[9]];
      if (body[8] !== 8 || !channels || body[12] !== 0) throw new Error(`${path}: not 8-bit RGB(A)`);
    }
    if (type === 'IDAT') idat.push(body);
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(idat)), stride = width * channels;
  const rows = Buffer.alloc(stride * height), rgba = Buffer.alloc(width * height * 4);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? rows[y * stride + x - channels] : 0;
      const b = y > 0 ? rows[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? rows[(y - 1) * stride + x - channels] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const predictor = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      rows[y * stride + x] = (line[x] + predictor) & 255;
    }
  }
  for (let i = 0; i < width * height; ++i) {
    for (let k = 0; k < 3; ++k) rgba[i * 4 + k] = rows[i * channels + k];
    rgba[i * 4 + 3] = 255;
  }
  return {width, height, rgba};
}

// Serves the site and collects what the page posts back until it posts /done.
const server = createServer((request, response) => {
  const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
  if (request.method === 'POST') {
    const chunks = [];
    request.on('data', (chunk) => chunks.push(chunk));
    request.on('end', () => {
      const body = Buffer.concat(chunks);
      posted[path.startsWith('/still/') ? path : path.slice(1)] = body;
      response.end();
      if (path === '/done') pageDone(body.toString());
    });
    return;
  }
  const file = join(site, path === '/' ? 'index.html' : path.replace(/\.\./g, ''));
  if (!existsSync(file)) return response.writeHead(404).end();
  const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};
  response.writeHead(200, {'Content-Type': types[extname(file)] || 'application/octet-stream'});
  response.end(readFileSync(file));
});
let posted = {}, pageDone = () => {};

// Opens the page with the query in a fresh headless Chromium; resolves with what it posted.
async function loadPage(query, extraFlags = []) {
  posted = {};
  const profile = mkdtempSync(join(tmpdir(), 'cm-chromium-'));
  const url = `http://127.0.0.1:${server.address().port}/index.html?${query}`;
  const browser = spawn(chromium, ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    `--user-data-dir=${profile}`, ...extraFlags, url], {stdio: 'ignore', detached: true});
  const result = await new Promise((resolve) => {
    const timer = setTimeout(() => resolve('no answer in time'), timeoutMs);
    pageDone = (text) => { clearTimeout(timer); resolve(text); };
  });
  // The browser and its helper processes, which share its process group.
  const exited = new Promise((resolve) => (browser.exitCode !== null ? resolve() : browser.on('exit', resolve)));
  process.kill(-browser.pid, 'SIGKILL');
  await exited;
  await new Promise((resolve) => setTimeout(resolve, 500));
  rmSync(profile, {recursive: true, force: true, maxRetries: 10, retryDelay: 200});
  if (result !== 'ok') console.log(`FAIL: the page (${query}) reports ${result}`);
  return result === 'ok' ? posted : null;
}

function psnr(a, b) {
  let sum = 0, differing = 0;
  for (let i = 0; i < a.length; i += 4) {
    let off = false;
    for (let k = 0; k < 3; ++k) {
      const d = a[i + k] - b[i + k];
      sum += d * d;
      off ||= d !== 0;
    }
    differing += off;
  }
  const mse = sum / (a.length / 4 * 3);
  return {psnr: mse === 0 ? Infinity : 10 * Math.log10(255 * 255 / mse), differing};
}

// The page's figures: load to first frame, and each part's slowest whole second of drawing.
function figures(timings) {
  const {times, frames} = timings;
  console.log(`start-up: data and program ready ${times.ready.toFixed(0)} ms after page load, ` +
              `first frame ${times.firstFrame.toFixed(0)} ms`);
  const seconds = new Map();
  frames.forEach(([part, ms, frame]) => {
    const key = `${part}:${Math.floor(frame / fps)}`;
    const s = seconds.get(key) || {part, frames: 0, ms: 0};
    s.frames += 1;
    s.ms += ms;
    seconds.set(key, s);
  });
  for (let part = 0; part < 9; ++part) {
    const whole = [...seconds.values()].filter((s) => s.part === part && s.frames === fps);
    if (!whole.length) continue;
    const heaviest = whole.reduce((m, s) => (s.ms > m.ms ? s : m));
    console.log(`part ${part + 1}: heaviest second ${(fps * 1000 / heaviest.ms).toFixed(0)} fps ` +
                `(${whole.length} whole seconds drawn)`);
  }
}

// The frame held after Space and Page Down against the recorder's frames around its show time
// (the player's time is the clock's, within a tick of the frame's); returns the failures.
function checkKeys(held, pixels) {
  const near = Math.round(held.seconds * fps), labels = [near - 1, near, near + 1].map((f) => String(f / fps));
  const recorded = spawnSync(join(bin, 'coldmeridian-record'),
    ['--stills', labels.join(','), '--still-dir', scratch, '--seed', '1', '--fps', String(fps), '--quiet'],
    {cwd: bin, stdio: 'inherit'});
  if (recorded.status !== 0) throw new Error('the recorder failed');
  const match = labels.findIndex((label) => Buffer.compare(readPng(join(scratch, `still_${label}.png`)).rgba, pixels) === 0);
  const frame = near - 1 + match, music = (frame + 1) / fps;
  const faults = [
    [match >= 0, `the held frame (${held.seconds.toFixed(3)} s) is none of the recorder's frames ${labels}`],
    [held.paused === 1 && held.sameLater, 'Space did not hold the frame'],
    [Math.abs(held.music - music) < 2e-3 && held.music === held.musicLater,
      `the music stands at ${held.music} then ${held.musicLater} s, not at ${music.toFixed(3)} s`],
  ].filter(([ok]) => !ok);
  faults.forEach(([, text]) => console.log(`FAIL: keys: ${text}`));
  if (!faults.length) console.log(`same: keys: Space, Page Down hold frame ${frame}, the recorder's; music at ${held.music.toFixed(3)} s`);
  return faults.length;
}

const scratch = mkdtempSync(join(tmpdir(), 'cm-web-'));
const record = spawnSync(join(bin, 'coldmeridian-record'),
  ['--stills', moments.join(','), '--still-dir', scratch, '--seed', '1', '--fps', String(fps), '--quiet'],
  {cwd: bin, stdio: 'inherit'});
if (record.status !== 0) throw new Error('the recorder failed');

await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
let failures = 0;

// CM_WEB_TIMING=1 draws every frame on the way, for the per-part figures.
const timing = process.env.CM_WEB_TIMING ? '&timing=1' : '';
const still = await loadPage(`still=${moments.join(',')}&seed=1&fps=${fps}&report=1${timing}`);
if (!still) ++failures;
const timings = still && JSON.parse(still.timings.toString());
const parts = new Set();
for (const label of moments) {
  if (!still) break;
  const native = readPng(join(scratch, `still_${label}.png`));
  const web = still[`/still/${label}`];
  const part = timings.frames.find((f) => f[2] === Math.ceil(Number(label) * fps - 1e-9))?.[0];
  parts.add(part);
  if (!web || web.length !== native.rgba.length) {
    console.log(`FAIL: ${label} s: no frame of ${native.width} x ${native.height} from the page`);
    ++failures;
    continue;
  }
  const same = Buffer.compare(web, native.rgba) === 0;
  const {psnr: db, differing} = psnr(web, native.rgba);
  console.log(`${same ? 'same' : 'FAIL'}: ${label} s, part ${part + 1}: ` +
              (same ? 'byte-identical' : `PSNR ${db.toFixed(2)} dB, ${differing} pixels differ`));
  failures += !same;
}
if (still && parts.size !== 9) console.log(`FAIL: the moments show ${parts.size} parts, not 9`), ++failures;
if (still) figures(timings);

// The show as a visitor starts it, with its music: Web Audio must have pulled libopenmpt's mix.
const run = await loadPage('run=1&report=1&keys=1&seed=1', ['--autoplay-policy=no-user-gesture-required']);
const played = run && JSON.parse(run.run.toString());
if (played) {
  console.log(`run: first frame ${played.times.firstFrame.toFixed(0)} ms after page load; music: ` +
              `${played.audioFrames} frames played, RMS ${played.audioRms.toFixed(4)}`);
  if (!(played.times.firstFrame > 0)) console.log('FAIL: the show drew no frame'), ++failures;
  if (!(played.audioFrames > 0 && played.audioRms > 0.001)) console.log('FAIL: no music was played'), ++failures;
} else {
  ++failures;
}
if (run && run.keys) failures += checkKeys(JSON.parse(run.keys.toString()), run['/still/keys']);
else if (run) console.log('FAIL: keys: the page posted no held frame'), ++failures;
rmSync(scratch, {recursive: true, force: true});
server.close();
process.exit(failures ? 1 : 0);
