// Runs the Khronos glTF-Validator over each file given and prints its
// summary; fails when any file has an error or a warning.
// Usage: node validate_gltf.js VALIDATOR_FOLDER FILE...
const fs = require('fs');
const path = require('path');
const validator = require(path.resolve(process.argv[2], 'node_modules', 'gltf-validator'));

async function main() {
  const files = process.argv.slice(3);
  let failed = 0;
  const totals = { numErrors: 0, numWarnings: 0, numInfos: 0, numHints: 0 };
  for (const file of files) {
    const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), { uri: file });
    const issues = report.issues;
    for (const key of Object.keys(totals))
      totals[key] += issues[key];
    if (issues.numErrors > 0 || issues.numWarnings > 0) {
      failed++;
      console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings`);
      for (const message of issues.messages.filter((m) => m.severity <= 1))
        console.log(`  ${message.code} at ${message.pointer || message.offset}: ${message.message}`);
    }
  }
  console.log(`glTF-Validator ${validator.version()}: ${files.length} files, ${totals.numErrors} errors, ` +
              `${totals.numWarnings} warnings, ${totals.numInfos} infos, ${totals.numHints} hints; ` +
              `${failed} files with errors or warnings`);
  process.exit(failed > 0 || files.length === 0 ? 1 : 0);
}
main().catch((error) => { console.log(String(error)); process.exit(1); });
