// Texts of the explanations: the job neighbours and R and Q with the own
// time, the candidate table's copy, the insertion order, saving all steps,
// and the messages for numbers that name no step or operation.

export const explainStrings = {
  pl: {
    "explain.links": "Poprzednik operacji w zadaniu: PO = {po}; następnik: NO = {no} (0 = brak).",
    "explain.own-time": "R[k] to najwcześniejsze zakończenie operacji k, a Q[k] to najdłuższa droga od jej początku do końca harmonogramu: obie liczby obejmują własny czas operacji p[k]. W kolumnach max(…) każdy wyraz ma postać R[PO]=R[numer]=wartość: rola, operacja, z której pochodzi, i jej wartość.",
    "explain.copy": "Kopiuj tabelę pozycji",
    "explain.copied": "Skopiowano tabelę pozycji kroku {t}.",
    "explain.mark": "uwagi",
    "explain.no-step": "Nie ma kroku {asked}: kroki mają numery od 1 do {last}.",
    "explain.no-op": "Nie ma operacji {asked}: operacje mają numery od 1 do {last}.",
    "explain.not-number": "To nie jest numer: wpisz liczbę całkowitą od 1 do {last}.",
    "order.heading": "Kolejność wstawiania",
    "order.note": "Operacje w kolejności kroków: nierosnące p, przy równych p rosnący numer. Kliknij operację albo wpisz jej numer, by przejść do kroku, który ją wstawia.",
    "order.goto": "Przejdź do operacji",
    "order.item": "Krok {t}: operacja {op}, p = {p}",
    "order.save-csv": "Zapisz wszystkie kroki (CSV)",
    "order.csv-file": "kroki",
  },
  en: {
    "explain.links": "The operation's job predecessor: PO = {po}; successor: NO = {no} (0 = none).",
    "explain.own-time": "R[k] is the earliest completion of operation k and Q[k] the longest path from its start to the end of the schedule: both include the operation's own time p[k]. In the max(…) columns each term reads R[PO]=R[number]=value: its role, the operation it comes from, and its value.",
    "explain.copy": "Copy the positions table",
    "explain.copied": "Copied the positions table of step {t}.",
    "explain.mark": "notes",
    "explain.no-step": "There is no step {asked}: steps are numbered 1 to {last}.",
    "explain.no-op": "There is no operation {asked}: operations are numbered 1 to {last}.",
    "explain.not-number": "That is not a number: type a whole number from 1 to {last}.",
    "order.heading": "Insertion order",
    "order.note": "The operations in the order of the steps: non-increasing p, equal times by increasing number. Click an operation or type its number to go to the step that inserts it.",
    "order.goto": "Go to operation",
    "order.item": "Step {t}: operation {op}, p = {p}",
    "order.save-csv": "Save all steps (CSV)",
    "order.csv-file": "steps",
  },
};
