// Reads each IGC file named on the command line with igc-parser in strict
// mode; prints one line per file (accepted: its fixes and the flight's date
// as the reader takes it) and exits 1 when any is rejected.
const fs = require('fs');
const IGCParser = require('igc-parser');

let rejected = 0;
for (const file of process.argv.slice(2)) {
  try {
    const flight = IGCParser.parse(fs.readFileSync(file, 'utf8'), { lenient: false });
    console.log(`ok        ${flight.fixes.length} fixes  ${flight.date}  ${file}`);
  } catch (error) {
    rejected += 1;
    console.log(`REJECTED  ${error.message}  ${file}`);
  }
}
process.exit(rejected ? 1 : 0);
