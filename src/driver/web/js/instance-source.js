// The bytes the page runs. An instance that came as bytes (a file, a link, a
// bundled or generated instance) runs as those bytes while its text stands
// as shown; once the text is edited, the text's UTF-8 runs. So a file whose
// name is not UTF-8 still gives the trace jobshop-insert writes for it. No
// DOM.

export function createInstanceSource() {
  let bytes = null, shown = null;
  return {
    // The text to show for `newBytes`, and whether it holds them exactly
    // (false for bytes that are not UTF-8, shown with U+FFFD). `normalize`
    // gives the text as it will read back from where it is shown.
    set(newBytes, normalize = (text) => text) {
      const text = new TextDecoder("utf-8", { ignoreBOM: true }).decode(newBytes);
      bytes = newBytes;
      // A text area keeps line ends as LF; the text is compared as it shows it.
      shown = normalize(text);
      const exact = new TextEncoder().encode(text);
      return { text, exact: exact.length === newBytes.length && exact.every((b, i) => b === newBytes[i]) };
    },
    // The bytes for the text now shown.
    bytesFor(text) {
      return bytes !== null && text === shown ? bytes : new TextEncoder().encode(text);
    },
  };
}

// The name of an instance's files from its name's bytes, as jobshop-insert
// takes it: every byte is part of the name, a byte order mark at its start
// included; only bytes that are not UTF-8 become U+FFFD, since a download's
// name is text.
export const nameText = (bytes) => new TextDecoder("utf-8", { ignoreBOM: true }).decode(bytes);
