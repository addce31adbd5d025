// Runs the Khronos glTF validator on each file named and prints one line per file:
// "<errors> <warnings> <path>", followed by the validator's messages of those severities.
// Usage: node validate_gltf.js VALIDATOR_MODULE_DIR FILE...
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require(process.argv[2]);

async function check(file) {
    const bytes = new Uint8Array(fs.readFileSync(file));
    const report = await validator.validateBytes(bytes, {
        uri: path.basename(file),
        maxIssues: 50,
        externalResourceFunction: (uri) =>
            new Promise((resolve, reject) => {
                fs.readFile(path.join(path.dirname(file), decodeURIComponent(uri)), (err, data) =>
                    err ? reject(err.toString()) : resolve(new Uint8Array(data)));
            }),
    });
    const issues = report.issues;
    console.log(`${issues.numErrors} ${issues.numWarnings} ${file}`);
    for (const m of issues.messages) {
        if (m.severity <= 1) console.log(`  ${m.severity === 0 ? 'error' : 'warning'} ${m.code} ${m.pointer || ''}: ${m.message}`);
    }
}

(async () => {
    for (const file of process.argv.slice(3)) {
        try {
            await check(file);
        } catch (e) {
            console.log(`1 0 ${file}`);
            console.log(`  error ${e}`);
        }
    }
})();
