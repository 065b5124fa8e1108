// The classroom page: plain script, talking to ravlek-server's API only.
'use strict';

const $ = (id) => document.getElementById(id);

function el(tag, props, children) {
  const node = document.createElement(tag);
  Object.assign(node, props || {});
  for (const child of children || []) {
    node.append(child);
  }
  return node;
}

// Every answer of the API is JSON; an error answer carries its text in Chinese.
async function api(path, options) {
  let response;
  try {
    response = await fetch(path, options);
  } catch (error) {
    if (error.name === 'AbortError') throw error;
    throw new Error('連不上伺服器。');
  }
  let body = null;
  try {
    body = await response.json();
  } catch (error) {
    body = null;
  }
  if (!response.ok) {
    throw new Error((body && body.error) || `伺服器回答 ${response.status}。`);
  }
  return body;
}

function post(path, fields, signal) {
  return api(path, {
    method: 'POST',
    headers: {'Content-Type': 'application/json'},
    body: JSON.stringify(fields),
    signal,
  });
}

function romanisation(text) {
  return el('span', {lang: 'nan-Latn', textContent: text});
}

// --- tabs ---------------------------------------------------------------------------------------

function showTab(tab) {
  for (const other of document.querySelectorAll('.tab')) {
    const selected = other === tab;
    other.setAttribute('aria-selected', String(selected));
    $(other.getAttribute('aria-controls')).hidden = !selected;
  }
}

// --- lookup -------------------------------------------------------------------------------------

const fieldTitles = {
  HanWord: '字詞', Ptype: '音類', HanSpell: '台羅', Spell_P: '白話字', Spell_P_Han: '注音',
  Initial_C_type: '清濁', PoemRhyme: '平水韻', hong5se3: '等呼', PoemRhyme2: '又韻',
  PtypeDesc: '說明',
};
let lookupController = null;

async function lookup(query) {
  if (lookupController) lookupController.abort();
  lookupController = new AbortController();
  const status = $('lookup-status');
  try {
    const answer = await api('/api/lookup?' + new URLSearchParams(query), {
      signal: lookupController.signal,
    });
    showRows(answer);
    let text = answer.status;
    if (answer.truncated) text += `（共 ${answer.total} 筆，只列前 ${answer.rows.length} 筆）`;
    status.textContent = text;
  } catch (error) {
    if (error.name !== 'AbortError') status.textContent = error.message;
  }
}

function showRows(answer) {
  const table = $('lookup-rows');
  const head = el('tr', {}, answer.fields.map((field) =>
    el('th', {scope: 'col', textContent: fieldTitles[field] || field, title: field})));
  table.tHead.replaceChildren(head);
  const spell = answer.fields.indexOf('HanSpell');
  const body = answer.rows.map((row) => el('tr', {}, row.map((value, i) => {
    const cell = el('td', {textContent: value});
    if (i === spell) cell.lang = 'nan-Latn';
    return cell;
  })));
  table.tBodies[0].replaceChildren(...body);
}

function setUpLookup() {
  const char = $('lookup-char');
  const spell = $('lookup-spell');
  const klass = $('lookup-class');
  const rhyme = $('lookup-rhyme');
  // Each keystroke looks up again, as the window does; a newer search cancels the one before.
  char.addEventListener('input', () => lookup({char: char.value}));
  const bySpell = () => lookup({spell: spell.value, class: klass.value});
  spell.addEventListener('input', bySpell);
  klass.addEventListener('change', bySpell);
  rhyme.addEventListener('input', () => lookup({rhyme: rhyme.value}));
  const tones = ['上平', '下平', '上聲', '去聲', '入聲'];
  $('rhymes').replaceChildren(...tones.map((tone) => el('option', {value: tone})));
}

// --- conversion and handout ---------------------------------------------------------------------

// The reading chosen by a click, by position in the text.
let chosen = new Map();
let converted = null;

async function convert() {
  const status = $('convert-status');
  status.textContent = '轉換中…';
  try {
    converted = await post('/api/convert', {
      text: $('convert-text').value,
      ancient: $('convert-ancient').checked,
      colloquial: $('convert-colloquial').checked,
      toneMarks: $('convert-tone-marks').checked,
    });
    chosen = new Map();
    showConversion();
    status.textContent = converted.metreProblem ?
      `讀音未依格律選擇：${converted.metreProblem}` : '轉換完成。';
  } catch (error) {
    status.textContent = error.message;
  }
}

function shownReading(reading) {
  if (!reading) return '';
  if (!$('convert-tone-marks').checked) return reading.reading;
  return reading.shown;
}

const whyText = {metre: '依格律', phrase: '依詞語', first: '第一個讀音', chosen: '你選的', none: '沒有讀音'};

function cellState(cell) {
  const picked = chosen.get(cell.pos);
  if (picked !== undefined) return {reading: picked, why: 'chosen'};
  return {reading: cell.reading, why: cell.why};
}

function showConversion() {
  const result = $('convert-result');
  const lines = converted.lines.map((line) => {
    const ruby = el('p', {className: 'ruby-line'});
    for (const cell of line.cells) {
      if (!cell.readings.length) {
        ruby.append(el('span', {className: 'plain', textContent: cell.c}));
        continue;
      }
      const state = cellState(cell);
      const reading = cell.readings.find((r) => r.reading === state.reading);
      const button = el('button', {type: 'button', className: 'cell ' + state.why});
      button.dataset.pos = cell.pos;
      if (cell.reason && state.why !== 'chosen') button.title = cell.reason;
      button.setAttribute('aria-haspopup', 'menu');
      button.setAttribute('aria-label',
        `${cell.c}，${shownReading(reading)}，${whyText[state.why]}，按下選擇讀音`);
      const rubyText = el('rt', {lang: 'nan-Latn', textContent: shownReading(reading)});
      button.append(el('ruby', {}, [cell.c, rubyText]));
      button.addEventListener('click', () => openMenu(button, cell));
      ruby.append(button);
    }
    const block = el('div', {className: 'converted-line'}, [ruby]);
    if (line.text.trim()) {
      block.append(el('p', {className: 'romanized', lang: 'nan-Latn', textContent: line.romanized}));
    }
    return block;
  });
  result.replaceChildren(...lines);
}

function closeMenu(focusBack) {
  const menu = $('reading-menu');
  if (menu.hidden) return;
  menu.hidden = true;
  if (focusBack) focusBack.focus();
}

function openMenu(button, cell) {
  const menu = $('reading-menu');
  const state = cellState(cell);
  const items = cell.readings.map((reading) => {
    const item = el('button', {type: 'button', className: 'menu-item'}, [
      el('span', {className: 'class-mark', textContent: reading.class}),
      romanisation(shownReading(reading)),
    ]);
    item.setAttribute('role', 'menuitemradio');
    item.setAttribute('aria-checked', String(reading.reading === state.reading));
    item.dataset.reading = reading.reading;
    item.addEventListener('click', () => {
      chosen.set(cell.pos, reading.reading);
      closeMenu();
      showConversion();
      const again = document.querySelector(`#convert-result button[data-pos="${cell.pos}"]`);
      if (again) again.focus();
    });
    return item;
  });
  menu.replaceChildren(el('p', {className: 'menu-title', textContent: `「${cell.c}」的讀音`}),
    ...items);
  const box = button.getBoundingClientRect();
  menu.style.left = `${window.scrollX + box.left}px`;
  menu.style.top = `${window.scrollY + box.bottom + 4}px`;
  menu.hidden = false;
  menu.onkeydown = (event) => {
    const list = [...menu.querySelectorAll('.menu-item')];
    const at = list.indexOf(document.activeElement);
    if (event.key === 'Escape') {
      closeMenu(button);
    } else if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
      const step = event.key === 'ArrowDown' ? 1 : list.length - 1;
      list[(at + step) % list.length].focus();
      event.preventDefault();
    }
  };
  (items.find((item) => item.getAttribute('aria-checked') === 'true') || items[0]).focus();
}

// The choices as the handout reads them: position, character, reading, a line each.
function choicesText() {
  if (!converted) return '';
  const lines = [];
  for (const line of converted.lines) {
    for (const cell of line.cells) {
      if (chosen.has(cell.pos)) lines.push(`${cell.pos}\t${cell.c}\t${chosen.get(cell.pos)}`);
    }
  }
  return lines.join('\n');
}

function setUpConversion() {
  $('convert-run').addEventListener('click', convert);
  $('convert-text').addEventListener('input', () => {
    // Positions of chosen readings no longer fit another text.
    chosen = new Map();
  });
  $('convert-tone-marks').addEventListener('change', () => {
    if (converted) showConversion();
  });
  document.addEventListener('click', (event) => {
    const menu = $('reading-menu');
    if (!menu.hidden && !menu.contains(event.target) && !event.target.closest('.cell')) closeMenu();
  });
  const form = $('handout-form');
  for (const button of form.querySelectorAll('button[data-format]')) {
    button.addEventListener('click', () => {
      $('handout-format').value = button.dataset.format;
      // A download stays on this page; the printable handout opens beside it.
      form.target = button.dataset.format === 'html' ? '_blank' : '_self';
    });
  }
  form.addEventListener('submit', () => {
    $('handout-text').value = $('convert-text').value;
    $('handout-choices').value = choicesText();
    $('handout-ancient').value = $('convert-ancient').checked ? '1' : '';
    $('handout-colloquial').value = $('convert-colloquial').checked ? '1' : '';
  });
  api('/api/status').then((status) => {
    if (!status.pdf) {
      $('handout-pdf').hidden = true;
      $('handout-note').textContent =
        '伺服器上沒有 LibreOffice：請開啟可列印的講義，用瀏覽器的「列印」存成 PDF。';
    }
  }).catch(() => {});
}

// --- metre --------------------------------------------------------------------------------------

const toneMarks = {'平': '○', '仄': '●', '中': '◐'};
const toneNames = {'平': 'level', '仄': 'oblique', '中': 'either'};

function showPoem(poem) {
  const heading = el('h3', {textContent: poem.title ? `${poem.number}.〈${poem.title}〉` :
    `第 ${poem.number} 首`});
  const facts = el('p', {className: 'poem-facts'}, [
    `${poem.form}　韻：${poem.rhyme || '（未見）'}　`,
    el('strong', {className: poem.summary === '合律' ? 'good' : 'fault',
      textContent: poem.summary}),
  ]);
  const verses = poem.verses.map((verse) => {
    const characters = Array.from(verse.text);
    const tones = Array.from(verse.tones);
    const row = el('p', {className: 'verse'});
    characters.forEach((character, i) => {
      const tone = tones[i] || '';
      const rhymes = verse.rhyme && i === characters.length - 1;
      const mark = (toneMarks[tone] || '') + (rhymes ? '◎' : '');
      const span = el('span', {className: `tone ${toneNames[tone] || ''}`}, [
        el('span', {className: 'character', textContent: character}),
        el('span', {className: 'mark', textContent: mark}),
      ]);
      span.title = tone + (rhymes ? `，押 ${verse.rhyme}` : '');
      row.append(span);
    });
    if (verse.readings && verse.readings !== '-') {
      row.append(el('span', {className: 'readings', lang: 'nan-Latn', textContent: verse.readings}));
    }
    return row;
  });
  const findings = el('ul', {className: 'findings'}, [
    ...poem.findings.map((text) => el('li', {className: 'fault', textContent: text})),
    ...poem.allowed.map((text) => el('li', {className: 'allowed', textContent: text})),
  ]);
  return el('article', {className: 'poem'}, [heading, facts, ...verses, findings]);
}

async function checkMetre() {
  const status = $('metre-status');
  status.textContent = '檢查中…';
  try {
    const answer = await post('/api/metre', {text: $('metre-text').value});
    $('metre-result').replaceChildren(...answer.poems.map(showPoem));
    status.textContent = answer.poems.length ? `檢查了 ${answer.poems.length} 首。` : '沒有詩可以檢查。';
  } catch (error) {
    status.textContent = error.message;
  }
}

// --- fanqie -------------------------------------------------------------------------------------

async function findFanqie() {
  const status = $('fanqie-status');
  try {
    const answer = await post('/api/fanqie', {text: $('fanqie-text').value});
    const readings = el('ul', {}, answer.readings.map((line) => el('li', {textContent: line})));
    const synthesis = el('dl', {}, answer.synthesis.flatMap((item) => [
      el('dt', {}, [item.notation, '　', romanisation(item.readings.join(' / ') || '（推不出）')]),
      el('dd', {textContent: item.explained}),
    ]));
    $('fanqie-result').replaceChildren(
      el('h3', {textContent: '上下字的讀音'}), readings,
      el('h3', {textContent: '推出的讀音'}), synthesis);
    status.textContent = answer.readings.length ? '' : '文字裡沒有反切。';
  } catch (error) {
    status.textContent = error.message;
  }
}

// --- start --------------------------------------------------------------------------------------

document.addEventListener('DOMContentLoaded', () => {
  for (const tab of document.querySelectorAll('.tab')) {
    tab.addEventListener('click', () => showTab(tab));
  }
  $('bigger').addEventListener('click', () => {
    const big = document.body.classList.toggle('big');
    $('bigger').setAttribute('aria-pressed', String(big));
  });
  setUpLookup();
  setUpConversion();
  $('metre-run').addEventListener('click', checkMetre);
  $('fanqie-run').addEventListener('click', findFanqie);
});
