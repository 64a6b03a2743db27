// The chart and the graph as pictures: fixed scenes drawn to SVG by
// chart-svg.js and graph-svg.js and compared with the files stored in
// snapshots/, one a case, an element a line, so that a change to a picture
// shows as a diff to open. UPDATE_SNAPSHOTS=1 writes them anew, on purpose:
//   UPDATE_SNAPSHOTS=1 node --test pictures.test.mjs
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { buildScene } from '../../src/report/replay/js/chart-scene.js';
import { sceneToSvg } from '../../src/report/replay/js/chart-svg.js';
import { buildGraph, graphLayout } from '../../src/report/replay/js/graph-scene.js';
import { graphToSvg } from '../../src/report/replay/js/graph-svg.js';
import { graphStrings } from '../../src/report/replay/js/graph-strings.js';
import { decodeReplay, parseReplayData } from '../../src/report/replay/js/replay-data.js';
import { createStepper } from '../../src/report/replay/js/stepping.js';
import { decodeSearch } from '../../src/report/replay/js/search-data.js';
import { buildHistoryPlot, buildSearchScene, searchGraphMarks } from '../../src/report/replay/js/search-scene.js';
import { createSearchStepper } from '../../src/report/replay/js/search-stepping.js';
import { makePage, pageDataText, runInstanceText, runSearchText, sourceDir } from './support.mjs';

const snapshots = path.join(path.dirname(fileURLToPath(import.meta.url)), 'snapshots');
const update = process.env.UPDATE_SNAPSHOTS === '1';

// ft06 at the step of the page's pictures; a 3 x 3 whose step 8 ties two
// positions; times of 2^31 - 1, heads past 2^32.
const instances = {
  ft06: null,
  remis: 'remis\n3 3\n1 2 2 3 3 2\n2 2 1 2 3 3\n3 2 2 2 1 2\n',
  wielkie: 'wielkie\n2 2\n1 2147483647 2 2147483647\n2 2147483647 1 2147483647\n',
};
const runs = {};

before(() => {
  for (const [name, text] of Object.entries(instances)) {
    const run = text ? runInstanceText(text, name, { trace: false }) : makePage('examples/ft06/input.txt', name, { trace: false });
    runs[name] = { run, replay: decodeReplay(parseReplayData(fs.readFileSync(run.data, 'utf8'))) };
  }
  // ft06's search, for the pictures of an iteration and of its course.
  const run = runSearchText(fs.readFileSync(path.join(sourceDir, 'examples/ft06/input.txt')), ['--iterations', '20']);
  const data = parseReplayData(pageDataText(run.page)), replay = decodeReplay(data);
  replay.search = decodeSearch(data);
  runs.search = { run, replay };
});

after(() => {
  for (const { run } of Object.values(runs)) fs.rmSync(run.folder, { recursive: true, force: true });
});

const captions = { source: graphStrings.pl['graph.source'], sink: graphStrings.pl['graph.sink'] };
const chart = (replay, view) => sceneToSvg(buildScene(replay, view, { width: 900 }));
const graph = (replay, view) => graphToSvg(buildGraph(replay, view, graphLayout(replay)), captions);
// An iteration of the search (its number in `step`), and the search's course.
const searchView = (replay, i) => createSearchStepper(replay, replay.search).view(i);
const searchChart = (replay, i) => sceneToSvg(buildSearchScene(replay, searchView(replay, i), { width: 900 }));
const searchGraph = (replay, i) => {
  const v = searchView(replay, i);
  return graphToSvg(buildGraph(replay, v, graphLayout(replay), { marks: searchGraphMarks(replay, v) }), captions);
};
const searchPlot = (replay, i) => sceneToSvg(buildHistoryPlot(replay.search.history, { at: i, labels: { cmax: 'Cmax', best: 'najlepszy', iteration: 'iteracja' } }));
const cases = [
  ['ft06-step21-chart', 'ft06', 21, chart],
  ['ft06-step21-graph', 'ft06', 21, graph],
  ['remis-step8-chart', 'remis', 8, chart],
  ['remis-step8-graph', 'remis', 8, graph],
  ['wielkie-last-chart', 'wielkie', 'last', chart],
  ['ft06-search2-chart', 'search', 2, searchChart],
  ['ft06-search2-graph', 'search', 2, searchGraph],
  ['ft06-search-plot', 'search', 2, searchPlot],
];

for (const [file, name, step, draw] of cases) {
  test(`picture ${file}`, () => {
    const { replay } = runs[name];
    const view = name === 'search' ? step : createStepper(replay).view(step === 'last' ? replay.STEPS : step);
    const picture = draw(replay, view).replace(/></g, '>\n<') + '\n';
    const stored = path.join(snapshots, file + '.svg');
    if (update) fs.writeFileSync(stored, picture);
    assert.ok(fs.existsSync(stored), `${stored} is missing (UPDATE_SNAPSHOTS=1 writes it)`);
    assert.equal(picture, fs.readFileSync(stored, 'utf8'), `${file} differs from its snapshot (UPDATE_SNAPSHOTS=1 writes it anew)`);
  });
}
