// Texts of the page's keyboard and screen-reader aids: the scroll boxes'
// names, how keys work in them, and the chart as text (lang.js has the form
// of an entry).

export const a11yStrings = {
  pl: {
    "box.candidates": "Pozycje kandydujące",
    "box.changes": "Zmiany R i Q",
    "box.order": "Kolejność wstawiania",
    "box.chart": "Harmonogram",
    "box.table": "Tabela kroku",
    "box.topo": "Kolejność topologiczna",
    "box.perm": "Kolejki maszyn",
    "box.keys": "Pole przewijane: strzałki w górę i w dół, Page Up/Down i Home/End przewijają je, Shift ze strzałką w lewo lub w prawo przewija je w poziomie; strzałki w lewo i w prawo zmieniają krok.",
    "chart.text.caption": "Harmonogram jako tekst: operacje każdej maszyny w kolejności, każda jako numer: start–koniec",
    "chart.text.machine": "Maszyna",
    "chart.text.operations": "Operacje",
  },
  en: {
    "box.candidates": "Candidate positions",
    "box.changes": "Changes of R and Q",
    "box.order": "Insertion order",
    "box.chart": "Schedule",
    "box.table": "The step's table",
    "box.topo": "Topological order",
    "box.perm": "Machine sequences",
    "box.keys": "Scroll box: the Up and Down arrows, Page Up/Down and Home/End scroll it, Shift with the Left or Right arrow scrolls it sideways; the Left and Right arrows change the step.",
    "chart.text.caption": "The schedule as text: each machine's operations in order, each as number: start–end",
    "chart.text.machine": "Machine",
    "chart.text.operations": "Operations",
  },
};
