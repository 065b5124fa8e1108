// The classroom page in Debian's chromium, headless: typing into the page and reading what it
// shows. One case per run (lookup, convert, metre, handout), each with its own server on a port
// the system picks and its own browser profile.
//
//   node classroom_page_test.mjs CASE --server PATH --app-dir DIR --pdf-check PATH --cli PATH
import {spawn, spawnSync} from 'node:child_process';
import {existsSync, mkdtempSync, rmSync, writeFileSync} from 'node:fs';
import {createRequire} from 'node:module';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {once} from 'node:events';
import assert from 'node:assert/strict';

const SKIP = 77;
const chromium = '/usr/bin/chromium';

function option(name) {
  const at = process.argv.indexOf(name);
  return at > 0 ? process.argv[at + 1] : undefined;
}

const testCase = process.argv[2];
const serverPath = option('--server');
const appDir = option('--app-dir');
const pdfCheck = option('--pdf-check');
const cliPath = option('--cli');

let puppeteer;
try {
  puppeteer = createRequire(import.meta.url)('puppeteer-core');
} catch (error) {
  console.log('puppeteer-core is not installed: scripts/setup installs it');
  process.exit(SKIP);
}
if (!existsSync(chromium)) {
  console.log('chromium is not installed (Debian package chromium, which scripts/setup installs)');
  process.exit(SKIP);
}

const spring = `春望
國破山河在，城春草木深。
感時花濺淚，恨別鳥驚心。
烽火連三月，家書抵萬金。
白頭搔更短，渾欲不勝簪。`;
const crane = `登黃鶴樓
昔人已乘黃鶴去，此地空餘黃鶴樓。
黃鶴一去不復返，白雲千載空悠悠。
晴川歷歷漢陽樹，芳草萋萋鸚鵡洲。
日暮鄉關何處是，煙波江上使人愁。`;

// Starts ravlek-server on 127.0.0.1, port 0, and reads the address it prints.
async function startServer() {
  const server = spawn(serverPath, ['--app-dir', appDir, '--listen', '127.0.0.1:0'], {
    stdio: ['ignore', 'pipe', 'inherit'],
  });
  let out = '';
  server.stdout.setEncoding('utf8');
  const address = await new Promise((resolve, reject) => {
    server.stdout.on('data', (chunk) => {
      out += chunk;
      const found = out.match(/^ravlek-server: (http:\/\/\S+)\n/m);
      if (found) resolve(found[1]);
    });
    server.on('exit', (code) => reject(new Error(`ravlek-server ended (${code}) before serving`)));
  });
  return {server, address};
}

async function withPage(body) {
  const profile = mkdtempSync(join(tmpdir(), 'ravlek-chromium-'));
  const {server, address} = await startServer();
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    const page = await browser.newPage();
    const problems = [];
    page.on('pageerror', (error) => problems.push(error.message));
    page.on('console', (message) => {
      if (message.type() === 'error') problems.push(message.text());
    });
    await page.goto(address, {waitUntil: 'load'});
    await body({page, browser, address});
    assert.deepEqual(problems, [], 'the page reported errors (a blocked script or style too)');
  } finally {
    await browser.close();
    server.kill('SIGTERM');
    await once(server, 'exit');
    rmSync(profile, {recursive: true, force: true});
  }
}

// The lookup grid's rows as HanWord:HanSpell.
function gridRows(page) {
  return page.$$eval('#lookup-rows tbody tr', (rows) => rows.map((row) =>
    `${row.cells[0].textContent}:${row.cells[2].textContent}`));
}

async function waitForGrid(page, wanted) {
  await page.waitForFunction((row) => [...document.querySelectorAll('#lookup-rows tbody tr')]
    .some((tr) => `${tr.cells[0].textContent}:${tr.cells[2].textContent}` === row),
  {timeout: 30000}, wanted);
}

async function typeInto(page, selector, text) {
  // A triple click selects one line of a text area only: empty it, then type.
  await page.$eval(selector, (node) => {
    node.value = '';
  });
  await page.type(selector, text);
}

// Converts a text on the page and waits for its characters.
async function convert(page, text) {
  await page.click('#tab-convert');
  await typeInto(page, '#convert-text', text);
  await page.click('#convert-run');
  await page.waitForFunction(() => document.querySelectorAll('#convert-result .cell').length > 0 &&
    document.getElementById('convert-status').textContent !== '轉換中…', {timeout: 30000});
}

// Clicks characters until one offers more than one reading, and chooses another one of them.
async function chooseAnotherReading(page) {
  const cells = await page.$$('#convert-result .cell');
  for (let i = 0; i < cells.length; ++i) {
    const cell = (await page.$$('#convert-result .cell'))[i];
    await cell.click();
    await page.waitForSelector('#reading-menu:not([hidden])');
    const items = await page.$$('#reading-menu .menu-item');
    if (items.length < 2) {
      await page.keyboard.press('Escape');
      continue;
    }
    const before = await cell.$eval('rt', (rt) => rt.textContent);
    let other = null;
    for (const item of items) {
      if (await item.evaluate((node) => node.getAttribute('aria-checked') === 'false')) other = item;
    }
    const wanted = await other.$eval('[lang]', (span) => span.textContent);
    await other.click();
    const position = await cell.evaluate((node) => node.dataset.pos);
    const shown = await page.$eval(`#convert-result .cell[data-pos="${position}"]`, (node) =>
      ({reading: node.querySelector('rt').textContent, chosen: node.classList.contains('chosen')}));
    assert.notEqual(shown.reading, before);
    assert.equal(shown.reading, wanted);
    assert.ok(shown.chosen, 'the chosen reading is marked as chosen');
    return {position, reading: wanted};
  }
  throw new Error('no character of the text offers a second reading');
}

const cases = {
  async lookup() {
    await withPage(async ({page}) => {
      await page.type('#lookup-char', '讚');
      await waitForGrid(page, '讚:tsan3');
      assert.ok((await gridRows(page)).every((row) => row.startsWith('讚')));
      await page.type('#lookup-spell', 'tsàn');
      await waitForGrid(page, '讚:tsan3');
      assert.ok((await gridRows(page)).every((row) => row.endsWith(':tsan3')),
        'tsàn finds the readings tsan3 only');
      assert.equal(await page.$eval('#lookup-spell', (node) => node.lang), 'nan-Latn');
    });
  },

  async convert() {
    await withPage(async ({page}) => {
      await convert(page, spring);
      const first = await page.$eval('#convert-result .cell', (node) =>
        ({c: node.querySelector('ruby').firstChild.textContent,
          rt: node.querySelector('rt').textContent}));
      assert.deepEqual(first, {c: '春', rt: 'tshun'});
      const romanized = await page.$$eval('#convert-result .romanized', (lines) =>
        lines.map((line) => line.textContent));
      assert.equal(romanized.length, 5);
      assert.match(romanized[1], /kok/);
      await chooseAnotherReading(page);
    });
  },

  async metre() {
    await withPage(async ({page}) => {
      await page.click('#tab-metre');
      const check = async (text) => {
        await typeInto(page, '#metre-text', text);
        await page.click('#metre-run');
        await page.waitForFunction((title) => [...document.querySelectorAll('.poem h3')]
          .some((h) => h.textContent.includes(title)), {timeout: 30000}, text.split('\n')[0]);
        return page.$eval('.poem', (poem) => ({
          facts: poem.querySelector('.poem-facts').textContent,
          summary: poem.querySelector('.poem-facts strong').className,
          findings: [...poem.querySelectorAll('.findings li.fault')].map((li) => li.textContent),
          tones: [...poem.querySelector('.verse').querySelectorAll('.tone')]
            .map((tone) => tone.textContent).join(''),
          colours: [...poem.querySelector('.verse').querySelectorAll('.tone')].map((tone) =>
            getComputedStyle(tone).color),
        }));
      };
      // What the page shows is what ravlek-cli metre --tsv says of the same poem.
      const expected = (text) => {
        const run = spawnSync(cliPath, ['--app-dir', appDir, 'metre', '--tsv'],
          {input: text, encoding: 'utf8'});
        assert.equal(run.status, 0, run.stderr);
        const rows = run.stdout.trim().split('\n').map((row) => row.split('\t'));
        const poem = rows.find((row) => row[0] === '# poem');
        return {form: poem[2], rhyme: poem[3], summary: poem[4].split(',').join('、'),
          firstTones: rows[0][3]};
      };
      for (const text of [spring, crane]) {
        const shown = await check(text);
        const wanted = expected(text);
        assert.match(shown.facts, new RegExp(
          `${wanted.form}\\s+韻：${wanted.rhyme}\\s+${wanted.summary}`));
        assert.equal(shown.summary, wanted.summary === '合律' ? 'good' : 'fault');
        // The first 句's tones by symbol, character by character.
        const symbols = {'平': '○', '仄': '●', '中': '◐'};
        assert.equal(shown.tones.replace(/[^○●◐]/g, ''),
          Array.from(wanted.firstTones).map((tone) => symbols[tone]).join(''));
      }
      const springCheck = await check(spring);
      assert.match(springCheck.facts, /五言律詩\s+韻：下平十二侵\s+合律/);
      assert.deepEqual(springCheck.findings, []);
      // 國破山河在: 仄仄平平仄, by symbol and by colour.
      assert.equal(springCheck.tones, '國●破●山○河○在●');
      assert.notEqual(springCheck.colours[0], springCheck.colours[2]);
      assert.equal(springCheck.colours[0], springCheck.colours[1]);
      // 登黃鶴樓 breaks the rules where every reading of 去 is 仄, and the page says so in words.
      const craneCheck = await check(crane);
      assert.match(craneCheck.facts, /七言律詩\s+韻：下平十一尤/);
      assert.ok(craneCheck.findings.includes('第3句第4字「去」犯律'), craneCheck.findings.join());
    });
  },

  async handout() {
    await withPage(async ({page, browser}) => {
      await convert(page, spring);
      await chooseAnotherReading(page);
      // What the page shows above each character is what the handout must print.
      const expected = await page.$$eval('#convert-result .ruby-line > *', (nodes) => nodes.map(
        (node) => node.classList.contains('cell') ?
          `${node.querySelector('ruby').firstChild.textContent}\t${node.querySelector('rt').textContent}` :
          `${node.textContent}\t`));
      const opened = new Promise((resolve) => browser.once('targetcreated', resolve));
      await page.click('#handout-print');
      const handout = await (await opened).page();
      await handout.waitForFunction(() => document.readyState === 'complete' &&
        document.querySelectorAll('ruby').length > 0, {timeout: 30000});
      await handout.evaluate(() => document.fonts.ready);
      const folder = mkdtempSync(join(tmpdir(), 'ravlek-handout-'));
      try {
        const pdf = join(folder, 'handout.pdf');
        await handout.pdf({path: pdf, preferCSSPageSize: true, printBackground: true});
        const wanted = join(folder, 'expected.tsv');
        writeFileSync(wanted, expected.join('\n') + '\n');
        const checked = spawnSync(pdfCheck, [pdf, wanted], {encoding: 'utf8'});
        if (checked.status === 2) {
          console.log(checked.stderr);
          process.exitCode = SKIP;
          return;
        }
        assert.equal(checked.status, 0, checked.stderr);
      } finally {
        rmSync(folder, {recursive: true, force: true});
      }
    });
  },
};

if (!cases[testCase]) {
  console.error(`usage: node classroom_page_test.mjs ${Object.keys(cases).join('|')} ...`);
  process.exit(2);
}
try {
  await cases[testCase]();
  console.log(`${testCase}: passed`);
} catch (error) {
  console.error(error);
  process.exit(1);
}
