// Compares `listsong dump --json` of every user table of one database with the
// reference dump that tests/tools/mdb-reader-dump.mjs makes with mdb-reader:
// same rows in the same order, same keys in the same order, and each value
// written exactly alike (3 and 3.0 differ, as do "12.5" and "12.5000").
//
//   node compare-dump.mjs LISTSONG REFERENCE_SCRIPT FILE CODEPAGE
//
// Exit 0 when everything matches, 1 on any difference or failure, 77 (skipped)
// when FILE's folder is absent.
import { execFileSync } from "node:child_process";
import { existsSync } from "node:fs";
import { basename, dirname } from "node:path";

const SKIPPED = 77;
const MAX_REPORTED = 10;

// Splits one line holding a flat JSON object into [key, value text] pairs,
// keeping each value's text exactly as written.
function splitObject(line) {
    JSON.parse(line); // refuses anything that is not JSON
    let pos = 0;
    const skipBlanks = () => {
        while (/\s/.test(line[pos] ?? "")) ++pos;
    };
    const expect = (c) => {
        skipBlanks();
        if (line[pos] !== c) throw new Error(`expected '${c}' at character ${pos}`);
        ++pos;
    };
    const stringToken = () => {
        const start = pos;
        ++pos;
        while (line[pos] !== '"') pos += line[pos] === "\\" ? 2 : 1;
        ++pos;
        return line.slice(start, pos);
    };
    const pairs = [];
    expect("{");
    skipBlanks();
    if (line[pos] === "}") return pairs;
    for (;;) {
        skipBlanks();
        const key = JSON.parse(stringToken());
        expect(":");
        skipBlanks();
        let value;
        if (line[pos] === '"') {
            value = stringToken();
        } else if (line[pos] === "{" || line[pos] === "[") {
            throw new Error(`nested value for key ${JSON.stringify(key)}`);
        } else {
            const start = pos;
            while (pos < line.length && !/[\s,}]/.test(line[pos])) ++pos;
            value = line.slice(start, pos);
        }
        pairs.push([key, value]);
        skipBlanks();
        if (line[pos] === "}") return pairs;
        expect(",");
    }
}

function run(command, args) {
    try {
        return execFileSync(command, args, { encoding: "utf8", maxBuffer: 1 << 30, stdio: ["ignore", "pipe", "pipe"] });
    } catch (error) {
        throw new Error(`${basename(command)} ${args.join(" ")} failed (exit ${error.status}): ${String(error.stderr).trim()}`);
    }
}

function lines(text) {
    return text.split("\n").filter((line) => line !== "");
}

// Returns the differences between our rows and the reference rows of one table.
function compareTable(ours, reference) {
    const differences = [];
    const note = (text) => differences.push(text);
    if (ours.length !== reference.length) {
        note(`row count: listsong ${ours.length}, mdb-reader ${reference.length}`);
    }
    const rows = Math.min(ours.length, reference.length);
    for (let row = 0; row < rows && differences.length < MAX_REPORTED; ++row) {
        let ourPairs;
        try {
            ourPairs = splitObject(ours[row]);
        } catch (error) {
            note(`row ${row + 1}: listsong wrote no flat JSON object (${error.message}): ${ours[row]}`);
            continue;
        }
        const referencePairs = splitObject(reference[row]);
        const ourKeys = ourPairs.map(([key]) => key).join(", ");
        const referenceKeys = referencePairs.map(([key]) => key).join(", ");
        if (ourKeys !== referenceKeys) {
            note(`row ${row + 1}: columns differ\n    listsong:   ${ourKeys}\n    mdb-reader: ${referenceKeys}`);
            continue;
        }
        referencePairs.forEach(([key, expected], i) => {
            const actual = ourPairs[i][1];
            if (actual !== expected && differences.length < MAX_REPORTED) {
                note(`row ${row + 1}, column ${JSON.stringify(key)}:\n    listsong:   ${actual}\n    mdb-reader: ${expected}`);
            }
        });
    }
    return differences;
}

function main([listsong, referenceScript, file, codePage]) {
    if (!codePage) {
        process.stderr.write("usage: node compare-dump.mjs LISTSONG REFERENCE_SCRIPT FILE CODEPAGE\n");
        return 2;
    }
    if (!existsSync(dirname(file))) {
        process.stdout.write(`skipped: the fixture folder ${dirname(file)} is absent (CMake setting LISTSONG_FIXTURES)\n`);
        return SKIPPED;
    }
    const codePageOption = ["--codepage", codePage];
    const tables = lines(run(process.execPath, [referenceScript, "--tables", file, ...codePageOption]));
    const referenceRows = new Map(tables.map((table) => [table, []]));
    if (tables.length > 0) {
        // One run for all tables: loading the file is most of mdb-reader's time.
        const referenceArgs = [referenceScript, file, ...tables, ...codePageOption];
        let section = referenceRows.get(tables[0]);
        for (const line of lines(run(process.execPath, referenceArgs))) {
            const header = /^# Table: (.*)$/.exec(line);
            if (header && tables.length > 1) {
                section = referenceRows.get(header[1]);
            } else {
                section.push(line);
            }
        }
    }
    let failed = 0;
    for (const table of tables) {
        let differences;
        try {
            const ours = lines(run(listsong, ["dump", "--json", file, table, ...codePageOption]));
            differences = compareTable(ours, referenceRows.get(table));
            if (differences.length === 0) {
                process.stdout.write(`${basename(file)} / ${table}: ${ours.length} rows match\n`);
                continue;
            }
        } catch (error) {
            differences = [error.message];
        }
        ++failed;
        process.stdout.write(`${basename(file)} / ${table}: DIFFERS\n`);
        for (const difference of differences) process.stdout.write(`  ${difference}\n`);
    }
    if (failed) {
        process.stdout.write(`${failed} of ${tables.length} tables differ\n`);
        return 1;
    }
    return 0;
}

process.exitCode = main(process.argv.slice(2));
