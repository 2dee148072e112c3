// Runs the glTF validator over many .gltf and .glb files in one node process
// (a start costs more than a small file's validation) and prints, per file,
// its numbers of errors, warnings and infos with the messages of the first
// two kinds, then the totals and which infos came up how often.
//
//   node scripts/validate-gltf.mjs [--validator DIR] FILE...
//
// DIR is the gltf-validator package's folder (default: build/tools's, where
// scripts/setup installs it). Exits 1 when any file has an error or a
// warning, 2 when the validator cannot be loaded or a file cannot be read.
import { readFile } from 'node:fs/promises';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const args = process.argv.slice(2);
let validatorDir = path.join(here, '..', 'build', 'tools', 'node_modules', 'gltf-validator');
if (args[0] === '--validator') {
    validatorDir = args[1];
    args.splice(0, 2);
}

let validator;
try {
    validator = createRequire(import.meta.url)(path.resolve(validatorDir));
} catch (e) {
    console.error(`validate-gltf: cannot load the validator from ${validatorDir}: ${e.message}`);
    process.exit(2);
}

const totals = { errors: 0, warnings: 0, infos: 0 };
const infoCodes = new Map();
let failed = 0;
for (const file of args) {
    let bytes;
    try {
        bytes = new Uint8Array(await readFile(file));
    } catch (e) {
        console.error(`validate-gltf: cannot read ${file}: ${e.message}`);
        process.exit(2);
    }
    const folder = path.dirname(file);
    const report = await validator.validateBytes(bytes, {
        uri: path.basename(file),
        maxIssues: 0,
        // Images and buffers the file names are looked for beside it, as a
        // viewer would.
        externalResourceFunction: (uri) =>
            readFile(path.join(folder, decodeURIComponent(uri))).then((b) => new Uint8Array(b)),
    });
    const { numErrors, numWarnings, numInfos, messages } = report.issues;
    totals.errors += numErrors;
    totals.warnings += numWarnings;
    totals.infos += numInfos;
    console.log(`${numErrors} errors, ${numWarnings} warnings, ${numInfos} infos: ${file}`);
    for (const m of messages) {
        if (m.severity <= 1) {
            console.log(`    ${m.severity === 0 ? 'error' : 'warning'} ${m.code} ${m.pointer ?? ''}: ${m.message}`);
        } else if (m.severity === 2) {
            infoCodes.set(m.code, (infoCodes.get(m.code) ?? 0) + 1);
        }
    }
    if (numErrors + numWarnings > 0) ++failed;
}
console.log(`${args.length} files: ${totals.errors} errors, ${totals.warnings} warnings, ${totals.infos} infos`);
for (const [code, n] of [...infoCodes].sort()) console.log(`    info ${code}: ${n}`);
console.log(`${args.length - failed} files valid, ${failed} with errors or warnings`);
process.exit(failed > 0 ? 1 : 0);
