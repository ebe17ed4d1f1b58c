// Renders ZPL labels to PNG with a real renderer that is not ours, so the label tests can read a
// label back the way a person or a scanner would.
//   node render.mjs [--size WIDTH_MM,HEIGHT_MM,DOTS_PER_MM] LABEL.zpl OUT.png [LABEL.zpl OUT.png ...]
// Several labels in one run share the renderer's start-up (loading it takes most of the time).
// Each label file is read as UTF-8, as a printer told ^CI28 reads it. Default size: 60 x 40 mm
// at 8 dots per mm (203 dpi), the default label's.
import fs from "node:fs";

const args = process.argv.slice(2);
let size = [60, 40, 8];
if (args[0] === "--size") {
    size = args[1].split(",").map(Number);
    args.splice(0, 2);
}
if (args.length === 0 || args.length % 2 !== 0 || size.length !== 3 || size.some(isNaN)) {
    console.error("usage: node render.mjs [--size W_MM,H_MM,DPMM] LABEL.zpl OUT.png [...]");
    process.exit(2);
}
const { api } = await (await import("zpl-renderer-js")).ready;
for (let i = 0; i < args.length; i += 2) {
    const zpl = fs.readFileSync(args[i], "utf8");
    const png = await api.zplToBase64Async(zpl, size[0], size[1], size[2]);
    fs.writeFileSync(args[i + 1], Buffer.from(png, "base64"));
}
