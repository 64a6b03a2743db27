// The chart's scene for any span the program allows: times from -2^31 to
// 2^31 - 1 and heads that reach far beyond (up to 2^53 in the page), zero
// and negative times included. The fitted chart fills the width given, every
// box lies inside the chart, and the ticks are as many as their labels leave
// room for, whatever the span or the zoom.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { buildScene } from '../../src/report/replay/js/chart-scene.js';

// A replay and the view after its last step, with one machine that runs
// `ops` ([start, p] each) in this order; each operation is its own job.
function oneMachine(ops) {
  const N = ops.length, P = [0], R = [0], Q = [0];
  for (const [start, p] of ops) {
    P.push(p);
    R.push(start + p);
    Q.push(p);
  }
  const replay = { MC: 1, N, P, cmax: Math.max(...R.slice(1)), jobOf: (k) => k };
  const view = {
    t: N, step: { op: N, machine: 1 }, final: true, maxR: replay.cmax,
    after: { R, Q }, rowsAfter: [[], ops.map((_, i) => i + 1)],
  };
  return { replay, view };
}

const cases = [
  ['span 1', [[0, 1]]],
  ['zero times', [[0, 0], [0, 0]]],
  ['negative times and heads', [[-50, 10], [100, -30], [-7, 0]]],
  ['a makespan of a million', [[0, 400000], [400000, 600001]]],
  ['p = 2^31 - 1', [[0, 2 ** 31 - 1]]],
  ['-2^31 to 2^31 - 1', [[-(2 ** 31), 2 ** 31 - 1], [2 ** 31 - 1, 2 ** 31 - 1]]],
  ['heads near 2^53', [[0, 5], [2 ** 53 - 2 ** 31, 2 ** 31 - 1]]],
  ['from -2^53 to 2^53', [[-(2 ** 53), 2 ** 31 - 1], [2 ** 53 - 7, 7]]],
];

test('the chart fits any span, with ticks bounded by its width', () => {
  for (const [name, ops] of cases) {
    const { replay, view } = oneMachine(ops);
    for (const width of [300, 1220]) {
      for (const pxPerUnit of [0, 1e-12, 0.05, 200, 1e6]) {
        const what = `${name}, width ${width}, zoom ${pxPerUnit}`;
        const sc = buildScene(replay, view, { width, pxPerUnit });
        if (pxPerUnit === 0) assert.ok(sc.W <= width && sc.W >= width - 1, `${what}: fitted into ${sc.W} px`);
        assert.ok(sc.W <= 30000, `${what}: ${sc.W} px wide`);
        for (const b of sc.boxes) assert.ok(b.x >= 0 && b.x + b.w <= sc.W, `${what}: box of ${b.k} at ${b.x}..${b.x + b.w} of ${sc.W}`);
        // Tick labels are the numbers above the machine rows; neighbours
        // leave room for both labels, so their count is bounded by the width.
        const rowTop = sc.items.find((it) => it.t === 'text' && it.s === 'M1').y - 12;
        const ticks = sc.items.filter((it) => it.t === 'text' && it.y < rowTop && /^-?\d+$/.test(it.s));
        assert.ok(ticks.length >= 1 && ticks.length <= sc.W / 40, `${what}: ${ticks.length} ticks on ${sc.W} px`);
        for (let i = 1; i < ticks.length; ++i) {
          const room = (Math.max(ticks[i - 1].s.length, ticks[i].s.length) * ticks[i].size * 0.6) + 4;
          assert.ok(ticks[i].x - ticks[i - 1].x >= room, `${what}: ticks ${ticks[i - 1].s} and ${ticks[i].s} overlap`);
          assert.ok(Number(ticks[i].s) > Number(ticks[i - 1].s), `${what}: ticks in order`);
        }
        for (const it of ticks) assert.ok(it.x >= 0 && it.x <= sc.W, `${what}: tick ${it.s} at ${it.x}`);
      }
    }
  }
});
