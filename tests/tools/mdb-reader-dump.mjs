// Reference dump made with the independent reader mdb-reader, in the form
// `listsong dump --json` prints: one JSON object per row, keys in column order.
//
//   node mdb-reader-dump.mjs FILE TABLE... [--codepage N]  rows of each TABLE
//   node mdb-reader-dump.mjs --tables FILE [--codepage N]  names of the user tables, one a line
//
// The code page defaults to 1252. With more than one TABLE, each table's rows
// follow a line "# Table: NAME".
//
// Code page: mdb-reader decodes every Access 97 text (names and values) with a
// built-in Windows-1252 table. This script swaps that one decoder, through a
// module load hook, for one of the code page asked for, so text is compared in
// the code page the file holds. 1252 keeps mdb-reader's own table. Bytes a
// code page leaves unassigned read as Windows reads them (see WINDOWS_UNASSIGNED).
//
// Where mdb-reader's values differ from the dump format, or are wrong, the
// value is converted or corrected here, each by the rule written beside it:
//   Single    mdb-reader returns the float widened to a double
//             (1.100000023841858); the dump rounds to 7 significant digits:
//             Number(x.toPrecision(7)).
//   Currency  mdb-reader's string already has 4 decimals; kept as is.
//   Date/Time mdb-reader returns a Date of (days - 25569) * 86400000 ms,
//             rounded to the millisecond. The dump rounds to the second and
//             writes "YYYY-MM-DDTHH:MM:SS". WRONG in mdb-reader: before
//             1899-12-30 the stored day count's integer part is the day and
//             its fraction counts forward from that day's midnight, but
//             mdb-reader reads the whole value as a signed offset (-1.25 gives
//             1899-12-28T18:00 instead of 1899-12-29T06:00). Corrected from its
//             own millisecond value: for m < 0 ms since 1899-12-30, with
//             d = ceil(m / day) (the day, towards zero), the right instant is
//             d * day + (d * day - m).
//   Binary,   mdb-reader returns a Buffer; the dump writes lower-case hex.
//   OLE
//   Repl. ID  mdb-reader returns "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" in
//             lower case; the dump writes it upper case within braces.
//   Double, Byte, Integer, Long, Boolean, Text, Memo, NULL: as mdb-reader returns them.
import { readFileSync } from "node:fs";
import { register } from "node:module";

const DAY_MS = 86400000;
const EPOCH_1899_MS = -25569 * DAY_MS; // 1899-12-30T00:00:00Z as a JavaScript time

// The text decoder mdb-reader calls for Jet 3 files, replaced by one that asks
// globalThis.referenceDecodeText, handing it mdb-reader's own decoder.
const decoderHook = `
export async function load(url, context, nextLoad) {
    if (url.endsWith("/mdb-reader/lib/node/dependencies/iconv-lite/index.js")) {
        const original = await nextLoad(url, { ...context, format: "module" });
        const source = String(original.source).replace(
            "export function decodeWindows1252(",
            "export function decodeWindows1252(buffer) {" +
                " return globalThis.referenceDecodeText(buffer, builtinDecodeWindows1252);" +
                " }\\nfunction builtinDecodeWindows1252(");
        if (source === String(original.source)) {
            throw new Error("mdb-reader's text decoder was not found; the code page cannot be applied");
        }
        return { format: "module", source, shortCircuit: true };
    }
    return nextLoad(url, context);
}`;
register("data:text/javascript," + encodeURIComponent(decoderHook));

// Windows gives every byte of a single-byte code page a character, the bytes
// the code page leaves unassigned included: in 0x80-0x9F the C1 control of the
// same number, elsewhere the characters below (as MultiByteToWideChar gives
// them on Windows and under Wine). mdb-reader's 1252 table gives U+FFFD for
// the unassigned bytes, and the WHATWG tables that TextDecoder carries give
// U+FFFD or another character for the ones listed here; both are corrected.
const WINDOWS_UNASSIGNED = {
    1253: { 0xaa: 0xf8f9, 0xd2: 0xf8fa, 0xff: 0xf8fb },
    1255: {
        0xca: 0x05ba, 0xd9: 0xf88d, 0xda: 0xf88e, 0xdb: 0xf88f, 0xdc: 0xf890, 0xdd: 0xf891,
        0xde: 0xf892, 0xdf: 0xf893, 0xfb: 0xf894, 0xfc: 0xf895, 0xff: 0xf896,
    },
    1257: { 0xa1: 0xf8fc, 0xa5: 0xf8fd },
};

// A decoder for a single-byte Windows code page: for 1252 mdb-reader's own,
// for the others one from the WHATWG tables; both with the characters Windows
// gives the unassigned bytes.
function codePageDecoder(codePage) {
    const table = [];
    const decoder = codePage === 1252 ? null : new TextDecoder(`windows-${codePage}`);
    return (buffer, builtin1252) => {
        if (table.length === 0) {
            for (let b = 0; b < 256; ++b) {
                const windows = WINDOWS_UNASSIGNED[codePage]?.[b];
                const c = decoder ? decoder.decode(Uint8Array.of(b)) : builtin1252(Uint8Array.of(b));
                if (windows !== undefined) table.push(String.fromCharCode(windows));
                else if (c === "\uFFFD" && b >= 0x80 && b < 0xa0) table.push(String.fromCharCode(b));
                else if (c === "\uFFFD") throw new Error(`code page ${codePage} byte ${b} has no character here`);
                else table.push(c);
            }
        }
        let text = "";
        for (const b of buffer) text += table[b];
        return text;
    };
}

function formatDate(date) {
    let ms = date.getTime() - EPOCH_1899_MS;
    if (ms < 0) {
        const day = Math.ceil(ms / DAY_MS) * DAY_MS;
        ms = day + (day - ms);
    }
    const rounded = new Date(Math.round(ms / 1000) * 1000 + EPOCH_1899_MS);
    const iso = rounded.toISOString(); // YYYY-MM-DDTHH:MM:SS.000Z for years 0000-9999
    return iso.slice(0, 19);
}

function referenceValue(value, type) {
    if (value === null || value === undefined) return null;
    switch (type) {
        case "float":
            return Number(value.toPrecision(7));
        case "datetime":
            return formatDate(value);
        case "binary":
        case "ole":
            return Buffer.from(value).toString("hex");
        case "repid":
            return `{${value.toUpperCase()}}`;
        default:
            return value;
    }
}

function usage() {
    process.stderr.write(
        "usage: node mdb-reader-dump.mjs FILE TABLE... [--codepage N]\n" +
            "       node mdb-reader-dump.mjs --tables FILE [--codepage N]\n",
    );
    process.exit(2);
}

function tableLines(reader, name) {
    const table = reader.getTable(name);
    const columns = table.getColumns();
    return table.getData().map((row) => {
        const out = {};
        for (const column of columns) out[column.name] = referenceValue(row[column.name], column.type);
        return JSON.stringify(out);
    });
}

async function main(args) {
    let codePage = 1252;
    const positional = [];
    let listTables = false;
    for (let i = 0; i < args.length; ++i) {
        if (args[i] === "--tables") {
            listTables = true;
        } else if (args[i] === "--codepage") {
            codePage = Number(args[++i]);
            if (!Number.isInteger(codePage)) usage();
        } else {
            positional.push(args[i]);
        }
    }
    const [file, ...tables] = positional;
    if (!file || listTables !== (tables.length === 0)) usage();
    globalThis.referenceDecodeText = codePageDecoder(codePage);

    const { default: MDBReader } = await import("mdb-reader");
    const reader = new MDBReader(readFileSync(file));
    const lines = [];
    if (listTables) {
        lines.push(...reader.getTableNames());
    } else {
        for (const table of tables) {
            if (tables.length > 1) lines.push(`# Table: ${table}`);
            // One at a time: spreading a table of many rows overflows the stack.
            for (const line of tableLines(reader, table)) lines.push(line);
        }
    }
    process.stdout.write(lines.map((line) => line + "\n").join(""));
}

main(process.argv.slice(2)).catch((error) => {
    process.stderr.write(`mdb-reader-dump: ${error.message}\n`);
    process.exit(1);
});
