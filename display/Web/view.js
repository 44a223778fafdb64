// The live view's page: draws the clock as the program pushes it (WebSocket, JSON),
// says plainly when the link to the program is lost, and reconnects by itself.
// Read-only: it sends nothing to the program.
'use strict';
(function () {
  const NS = 'http://www.w3.org/2000/svg';
  const UNLIT = 0x303030;
  const SILENCE_MS = 6000;   // the program sends at least every 2 s
  const RETRY_MS = 2000;
  const svg = document.getElementById('clock');
  const body = document.body;

  function el(name, attrs, parent) {
    const e = document.createElementNS(NS, name);
    for (const k in attrs) e.setAttribute(k, attrs[k]);
    (parent || svg).appendChild(e);
    return e;
  }
  function colour(rgb) { return '#' + (rgb >>> 0).toString(16).padStart(6, '0').slice(-6); }

  // The dial: 60 lights, the two hands and the big light in the middle.
  const dial = el('g', { class: 'dial' });
  el('circle', { cx: 200, cy: 200, r: 196, fill: '#1a1a1a' }, dial);
  const dots = [];
  for (let i = 0; i < 60; i++) {
    const a = i * Math.PI / 30;
    dots.push(el('circle', { class: 'dot', 'data-i': i, cx: (200 + 180 * Math.sin(a)).toFixed(1),
      cy: (200 - 180 * Math.cos(a)).toFixed(1), r: 9, fill: colour(UNLIT) }, dial));
  }
  const hands = [
    el('line', { class: 'hand', x1: 200, y1: 200, x2: 200, y2: 100, stroke: '#ddd', 'stroke-width': 10, 'stroke-linecap': 'round' }, dial),
    el('line', { class: 'hand', x1: 200, y1: 200, x2: 200, y2: 50, stroke: '#ddd', 'stroke-width': 6, 'stroke-linecap': 'round' }, dial),
  ];
  const big = el('circle', { id: 'big', cx: 200, cy: 200, r: 44, fill: colour(UNLIT) }, dial);

  // The countdown: minus sign and two 7-segment digits (segments a..g = bits 0..6).
  const W = 70, H = 140, T = 12;
  const segBoxes = [[T, 0, W - 2 * T, T], [W - T, T, T, H / 2 - 1.5 * T], [W - T, H / 2 + T / 2, T, H / 2 - 1.5 * T],
    [T, H - T, W - 2 * T, T], [0, H / 2 + T / 2, T, H / 2 - 1.5 * T], [0, T, T, H / 2 - 1.5 * T],
    [T, H / 2 - T / 2, W - 2 * T, T]];
  const count = el('g', { id: 'count' });
  const digits = [440, 540].map(function (x0, d) {
    return segBoxes.map(function (b, s) {
      return el('rect', { class: 'seg', 'data-d': d, 'data-s': s, x: x0 + b[0], y: 60 + b[1], width: b[2], height: b[3], rx: 4 }, count);
    });
  });
  const minus = el('rect', { id: 'minus', class: 'seg', x: 398, y: 60 + H / 2 - T / 2, width: 30, height: T, rx: 4 }, count);

  // The four lights of the second display.
  const lightRow = el('g', { id: 'lights' });
  const lights = [445, 505, 565, 625].map(function (x) {
    return el('circle', { class: 'light', cx: x, cy: 290, r: 24, fill: colour(UNLIT) }, lightRow);
  });

  // Beside the dial on a wide screen; under it on a phone held upright, so both stay large.
  const portrait = window.matchMedia('(orientation: portrait)');
  function arrange() {
    const upright = portrait.matches;
    svg.setAttribute('viewBox', upright ? '0 0 400 640' : '0 0 660 400');
    count.setAttribute('transform', upright ? 'translate(-304 350)' : '');
    lightRow.setAttribute('transform', upright ? 'translate(-335 310)' : '');
  }
  portrait.addEventListener('change', arrange);
  arrange();

  // Texts come from the program in the operator's language; kept for a page opened
  // while the program is away.
  let texts = {};
  try { texts = JSON.parse(localStorage.getItem('qs310-texts') || '{}'); } catch (e) { texts = {}; }

  function setText(id, text) { document.getElementById(id).textContent = text; }
  function showTexts() {
    if (texts.title) { setText('title', texts.title); document.title = texts.title; }
    setText('status', texts.lost || 'Connection lost. Reconnecting...');
    const th = document.querySelectorAll('#times thead th');
    (texts.columns || []).forEach(function (t, i) { if (th[i]) th[i].textContent = t; });
  }

  function setDigits(d, pattern) {
    digits[d].forEach(function (seg, s) { seg.classList.toggle('on', ((pattern >> s) & 1) === 1); });
  }
  function setHand(i, pos) { hands[i].setAttribute('transform', 'rotate(' + (pos * 6) + ' 200 200)'); }

  function showRun(text) {
    const table = document.getElementById('run');
    const tbody = table.tBodies[0];
    tbody.textContent = '';
    table.hidden = !text;
    if (!text) return;
    const legend = texts.legend || [];
    text.split('\n').forEach(function (value, i) {
      const tr = tbody.insertRow();
      const th = document.createElement('th');
      th.textContent = legend[i] || '';
      tr.appendChild(th);
      tr.insertCell().textContent = value;
    });
  }

  function showRows(rows) {
    const tbody = document.getElementById('rows');
    tbody.textContent = '';
    rows.forEach(function (row) {
      const tr = tbody.insertRow();
      tr.className = 'mark-' + row[4];
      for (let c = 0; c < 4; c++) tr.insertCell().textContent = row[c];
    });
    const side = document.getElementById('side');
    side.scrollTop = side.scrollHeight;  // the newest time in sight, as on the main window
  }

  function apply(m) {
    if (m.texts) {
      texts = m.texts;
      try { localStorage.setItem('qs310-texts', JSON.stringify(texts)); } catch (e) { /* private mode */ }
      showTexts();
    }
    if (m.dots) {
      if (m.t === 'all') m.dots.forEach(function (c, i) { dots[i].setAttribute('fill', colour(c)); });
      else m.dots.forEach(function (pc) { if (dots[pc[0]]) dots[pc[0]].setAttribute('fill', colour(pc[1])); });
    }
    if (m.hands) { setHand(0, m.hands[0]); setHand(1, m.hands[1]); }
    if ('big' in m) big.setAttribute('fill', colour(m.big));
    if (m.lights) m.lights.forEach(function (c, i) { lights[i].setAttribute('fill', colour(c)); });
    if (m.digits) { setDigits(0, m.digits[0]); setDigits(1, m.digits[1]); }
    if ('minus' in m) minus.classList.toggle('on', m.minus === 1);
    if ('conn' in m) body.classList.toggle('offline', !m.conn);
    if ('sim' in m) document.getElementById('sim').hidden = !m.sim;
    if ('id' in m) setText('identity', m.id);
    if ('run' in m) showRun(m.run);
    if (m.rows) showRows(m.rows);
  }

  let socket = null, lastHeard = 0, retry = null;
  function lost(full) {
    body.classList.add('lost');
    setText('status', full ? (texts.full || 'Too many viewers. Trying again shortly...')
      : (texts.lost || 'Connection lost. Reconnecting...'));
  }
  function drop(s) { s.onopen = s.onmessage = s.onclose = s.onerror = null; try { s.close(); } catch (e) { /* gone */ } }
  function later() { if (!retry) retry = setTimeout(function () { retry = null; connect(); }, RETRY_MS); }
  function connect() {
    const base = location.pathname.replace(/[^/]*$/, '');
    const s = new WebSocket((location.protocol === 'https:' ? 'wss://' : 'ws://') + location.host + base + 'ws');
    socket = s;
    lastHeard = Date.now();
    s.onmessage = function (e) {
      lastHeard = Date.now();
      let m;
      try { m = JSON.parse(e.data); } catch (err) { return; }
      if (m.t === 'all') body.classList.remove('lost');
      apply(m);
    };
    s.onclose = function (e) {
      if (socket !== s) return;
      socket = null;
      lost(e.code === 4001);
      later();
    };
  }
  // A link that went silent (network gone, program stopped) is given up and opened again.
  setInterval(function () {
    if (socket && Date.now() - lastHeard > SILENCE_MS) {
      drop(socket);
      socket = null;
      lost(false);
      later();
    }
  }, 1000);

  showTexts();
  connect();
})();
