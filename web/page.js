'use strict';
// The page draws what core answers and tells core what the user does: every
// rule (the address, the switches, the patch and its remarks) is core's, in
// core.wasm. What the page keeps on the phone: the profiles imported and the
// fixtures marked « réglé », per patch, in the browser's storage.

const $ = (id) => document.getElementById(id);
const kShownAtOnce = 200; // rows drawn at a time: a rig may hold thousands

function element(tag, className, text) {
  const e = document.createElement(tag);
  if (className)
    e.className = className;
  if (text !== undefined)
    e.textContent = text;
  return e;
}

// The storage may be refused (a private window, a full disk): the page then
// works, and forgets.
const store = {
  get(key) {
    try { return localStorage.getItem(key); } catch (e) { return null; }
  },
  set(key, value) {
    try { localStorage.setItem(key, value); return true; } catch (e) { return false; }
  },
  remove(key) {
    try { localStorage.removeItem(key); } catch (e) { /* nothing kept */ }
  },
};

class Core {
  constructor(module) { this.m = module; }

  text(s) {
    const size = this.m.lengthBytesUTF8(s) + 1;
    const at = this.m._malloc(size);
    this.m.stringToUTF8(s, at, size);
    return at;
  }

  call(request) {
    const at = this.text(JSON.stringify(request));
    try {
      return JSON.parse(this.m.UTF8ToString(this.m._dmx_call(at)));
    } finally {
      this.m._free(at);
    }
  }

  // The bytes go into core's memory in one copy.
  open(bytes, name) {
    const at = this.m._malloc(Math.max(bytes.length, 1));
    if (!at)
      return {error: `Lecture de ${name} impossible : le fichier est trop grand pour la mémoire de ce téléphone.`};
    const nameAt = this.text(name);
    try {
      this.m.HEAPU8.set(bytes, at);
      return JSON.parse(this.m.UTF8ToString(this.m._dmx_open(at, bytes.length, nameAt)));
    } finally {
      this.m._free(nameAt);
      this.m._free(at);
    }
  }
}

// A live region says a sentence again only when its text changes.
function announce(sentence) {
  const region = $('spoken');
  region.textContent = '';
  requestAnimationFrame(() => { region.textContent = sentence; });
}

class Bank {
  constructor(core) {
    this.core = core;
    this.box = $('Text100');
    this.buttons = [];
    const first = core.call({op: 'bank'});
    for (let k = 1; k <= first.on.length; ++k) {
      const b = element('button', 'switch');
      b.type = 'button';
      b.id = `switch${k}`;
      const description = element('span', 'hidden');
      description.id = `poids${k}`;
      b.setAttribute('aria-describedby', description.id);
      b.append(element('span', 'number', String(k)), element('span', 'slot'), element('span', 'state'),
               element('span', 'weight'), description);
      b.querySelector('.slot').append(element('span', 'lever'));
      b.addEventListener('click', () => this.show(this.core.call({op: 'click', k})));
      $('switches').append(b);
      this.buttons.push(b);
    }
    const count = $('Combo1');
    this.box.addEventListener('input', () => this.show(this.core.call({op: 'input', text: this.box.value})));
    count.addEventListener('change', () => this.show(this.core.call({op: 'count', count: Number(count.value)})));
    $('suivant').addEventListener('click', () => this.show(this.core.call({op: 'step', forward: true})));
    $('précédent').addEventListener('click', () => this.show(this.core.call({op: 'step', forward: false})));
    $('RAZ').addEventListener('click', () => this.show(this.core.call({op: 'reset'})));
  }

  choose(other) {
    this.show(this.core.call({op: 'window', other}), false);
  }

  show(state, speak = true) {
    if (state.error)
      return;
    const count = $('Combo1');
    if (count.options.length === 1)
      for (let n = 1; n <= state.largestCount; ++n)
        count.append(new Option(String(n), String(n)));
    $('order').textContent = state.order;
    if (this.box.value !== state.text)
      this.box.value = state.text;
    this.buttons.forEach((b, i) => {
      const on = state.on[i];
      b.setAttribute('aria-pressed', String(on));
      b.setAttribute('aria-label', state.names[i]);
      b.classList.toggle('stale', state.stale[i]);
      b.querySelector('.state').textContent = on ? 'ON' : 'OFF';
      b.querySelector('.weight').textContent = state.weights[i];
      b.querySelector('.hidden').textContent = state.descriptions[i];
    });
    $('Text120R').textContent = state.indicator;
    $('cue').textContent = state.cue;
    $('cue').hidden = !state.cue;
    count.value = state.count ? String(state.count) : '';
    if (speak && state.spoken)
      announce(state.spoken);
  }
}

class Rig {
  constructor(core) {
    this.core = core;
    this.plan = null;
    this.key = '';
    this.done = new Set();
    this.shown = kShownAtOnce;
    $('ouvrir').addEventListener('change', (e) => this.open(e.target.files[0]));
    $('profils').addEventListener('change', (e) => this.importProfiles(e.target.files[0]));
    $('oublierProfils').addEventListener('click', () => this.forgetProfiles());
    $('ligne').addEventListener('change', () => { this.shown = kShownAtOnce; this.draw(); });
    $('problemes').addEventListener('change', () => { this.shown = kShownAtOnce; this.draw(); });
    $('plus').addEventListener('click', () => { this.shown += kShownAtOnce; this.draw(); });
    const kept = store.get('profils');
    if (kept !== null)
      this.useProfiles(kept, 'profils.json', false);
  }

  useProfiles(text, name, keep) {
    const answer = this.core.call({op: 'profiles', text, name});
    if (answer.error) {
      $('profilesState').textContent = answer.error;
      return;
    }
    if (keep && !store.set('profils', text))
      $('profilesState').textContent = 'Profils lus, mais ce navigateur ne les garde pas.';
    else
      $('profilesState').textContent = answer.own || answer.choices
        ? `Profils importés : ${this.counted(answer.own, 'profil', 'profils')}, `
          + `${this.counted(answer.choices, 'choix par type', 'choix par type')}.` : '';
    $('oublierProfils').hidden = !(answer.own || answer.choices);
    if (this.plan)
      this.replan();
  }

  async importProfiles(file) {
    if (file)
      this.useProfiles(await file.text(), file.name, true);
  }

  forgetProfiles() {
    store.remove('profils');
    this.useProfiles('{}', 'profils.json', false);
  }

  async open(file) {
    if (!file)
      return;
    $('patchError').textContent = '';
    const plan = this.core.open(new Uint8Array(await file.arrayBuffer()), file.name);
    if (plan.error) {
      $('patchError').textContent = plan.error;
      return;
    }
    this.name = file.name;
    // What is marked « réglé » belongs to this patch: its name and size.
    this.key = `regles:${file.name}:${file.size}`;
    this.done = new Set(JSON.parse(store.get(this.key) || '[]'));
    this.show(plan);
    const line = $('ligne');
    line.replaceChildren(new Option('Toutes les lignes', '0'));
    for (const l of plan.lines)
      line.append(new Option(l.title, String(l.universe)));
    this.shown = kShownAtOnce;
    this.draw();
  }

  replan() {
    this.show(this.core.call({op: 'plan'}));
    this.draw();
  }

  show(plan) {
    this.plan = plan;
    $('fichier').textContent = this.name;
    $('resume').textContent = plan.summary;
    const legend = $('legende');
    legend.replaceChildren();
    for (const r of plan.legend)
      legend.append(element('dt', '', r.text), element('dd', '', r.meaning));
    $('rig').hidden = false;
  }

  // A row is known by where it is set and what it is, so that a patch read
  // again keeps its marks.
  static keyOf(row) {
    return `${row.universe}.${row.address}.${row.label}.${row.kind}`;
  }

  mark(row, done) {
    const key = Rig.keyOf(row);
    if (done)
      this.done.add(key);
    else
      this.done.delete(key);
    store.set(this.key, JSON.stringify([...this.done]));
    this.count();
  }

  counted(n, one, many) {
    return this.core.call({op: 'counted', n, one, many}).text;
  }

  count() {
    const done = this.plan.rows.filter((r) => this.done.has(Rig.keyOf(r))).length;
    $('regles').textContent = `${this.counted(done, 'appareil réglé', 'appareils réglés')} sur ${this.plan.rows.length}`;
  }

  draw() {
    const ids = this.core.call({op: 'order', universe: Number($('ligne').value), problemsFirst: $('problemes').checked});
    const list = $('appareils');
    list.replaceChildren();
    for (const id of ids.slice(0, this.shown))
      list.append(this.item(this.plan.rows[id]));
    $('plus').hidden = ids.length <= this.shown;
    this.count();
  }

  item(row) {
    const profile = this.plan.profiles[row.profile];
    const li = element('li', row.problem ? 'row problem' : 'row');
    const head = element('div', 'head');
    const line = this.plan.lines.find((l) => l.universe === row.universe);
    head.append(element('span', 'label', row.label), element('span', 'span', `${line.title} · adresse ${row.span}`));
    li.append(head);
    if (row.kind)
      li.append(element('div', 'kind', row.kind));
    const bank = element('div', 'minibank');
    bank.setAttribute('role', 'img');
    bank.setAttribute('aria-label', `${profile.name} : ${row.switches}`);
    row.settings.forEach((word, i) => {
      const s = element('span', word ? `sw ${row.up[i] ? 'up' : 'down'}` : 'sw none');
      s.append(element('b', '', profile.headings[i].split(' ')[0]), element('i'), element('small', '', word || '—'));
      bank.append(s);
    });
    li.append(bank, element('div', 'switchesText', `${row.switches} · ${profile.name}`));
    if (row.remarks.length) {
      const remarks = element('p', 'remarks');
      row.remarks.forEach((r, i) => remarks.append(element('span', r.problem ? 'bad' : '', (i ? ', ' : '') + r.text)));
      li.append(remarks);
    }
    const label = element('label', 'done');
    const box = element('input');
    box.type = 'checkbox';
    box.checked = this.done.has(Rig.keyOf(row));
    li.classList.toggle('set', box.checked);
    box.addEventListener('change', () => { this.mark(row, box.checked); li.classList.toggle('set', box.checked); });
    label.append(box, ' réglé');
    li.append(label);
    return li;
  }
}

function choose(view, bank) {
  for (const id of ['Corvanecolordriver', 'Corvanestandard', 'Patch'])
    $(id).setAttribute('aria-pressed', String(id === view));
  $('bank').hidden = view === 'Patch';
  $('patch').hidden = view !== 'Patch';
  if (view !== 'Patch')
    bank.choose(view === 'Corvanestandard');
  store.set('vue', view);
}

async function start() {
  if ('serviceWorker' in navigator)
    navigator.serviceWorker.register('sw.js').catch(() => { /* the page works online all the same */ });
  let core;
  try {
    core = new Core(await loadCore());
  } catch (e) {
    $('loading').textContent = 'Ce navigateur ne peut pas faire tourner le calcul des adresses (WebAssembly).';
    return;
  }
  const bank = new Bank(core);
  new Rig(core);
  for (const id of ['Corvanecolordriver', 'Corvanestandard', 'Patch'])
    $(id).addEventListener('click', () => choose(id, bank));
  $('loading').hidden = true;
  performance.mark('interactive'); // the load time the checks measure
  const view = store.get('vue');
  choose(['Corvanestandard', 'Patch'].includes(view) ? view : 'Corvanecolordriver', bank);
}

start();
