// The page in Debian's chromium, worked by its controls' names as a user works it, on synthetic
// images; results compared with the command line's and with what the core's rules write.
import assert from "node:assert/strict";
import { readFileSync, statSync } from "node:fs";
import { join } from "node:path";
import { after, before, test } from "node:test";
import { pathToFileURL } from "node:url";
import { applyBps, commandLine, scratch, singleFile, startBrowser, syntheticImage, windowWords, writeScratch } from "./support.mjs";

const TableAt = 0x250104; // Fire Red's own table
const TableWordAt = 0x1a67c;
let browser;
before(async () => (browser = await startBrowser()));
after(() => browser.close());

const listed = (path) => commandLine("--list", path).split("\n").slice(1).filter(Boolean);
const idsOf = (path) => listed(path).map((line) => +line.split(" ")[0]);
// The offsets where two images differ, as [first, last] runs.
function differences(a, b) {
  assert.equal(a.length, b.length);
  const runs = [];
  for (let i = 0; i < a.length; ++i) {
    if (a[i] === b[i]) continue;
    if (runs.length && runs.at(-1)[1] >= i - 1) runs.at(-1)[1] = i;
    else runs.push([i, i]);
  }
  return runs;
}
const tableBytes = (ids) => Buffer.from([...ids.flatMap((id) => [id & 0xff, id >> 8]), 0xff, 0xff]);

test("each game family opens through the picker, its table by the game's move names", async () => {
  const page = await browser.page();
  for (const [code, name, options] of [["BPRE", "Fire Red", []], ["BPGE", "Leaf Green", []], ["AXVE", "Ruby", []],
    ["AXPE", "Sapphire", []], ["BPEE", "Emerald", []], ["AXVD", "Rubin", ["--renamed"]], ["BPRE", "Fire Red", ["--moves", "400"]]]) {
    const path = syntheticImage(`${code}${options.length}.gba`, "--game", code, ...options);
    await page.open(path);
    assert.match(await page.page.locator("#game").textContent(), new RegExp(`^${name} \\(code ${code}, version byte 0\\) \u2014 `));
    assert.deepEqual(await page.entries(), listed(path).map((line) => line.slice(line.indexOf(" ") + 1)));
  }
});

test("edits, undo and redo, and a download that changes only the table and its end pair", async () => {
  const page = await browser.page();
  const path = syntheticImage("edits.gba");
  const original = readFileSync(path);
  await page.open(path);
  const names = await page.page.locator("#moves option").evaluateAll((o) => o.map((x) => x.value));
  const ids = idsOf(path);
  await page.edit("Change Move", 0, "Move5");
  ids[0] = 5;
  await page.edit("Insert New Move", 2, 7); // the last entry drops off
  ids.splice(2, 0, 7);
  ids.pop();
  const afterInsert = [...ids];
  await page.edit("Delete Move", 4); // GROWL comes in at the end
  ids.splice(4, 1);
  ids.push(45);
  await page.edit("Remove Move", 0);
  ids.splice(0, 1);
  await page.edit("Add Move", null, "move9");
  ids.push(9);
  const shown = () => ids.map((id) => names[id - 1]);
  assert.deepEqual(await page.entries(), shown());
  for (let i = 0; i < 3; ++i) await page.page.keyboard.press("Control+z");
  assert.deepEqual(await page.entries(), afterInsert.map((id) => names[id - 1]));
  await page.button("Redo").click();
  for (let i = 0; i < 2; ++i) await page.page.keyboard.press("Control+y");
  assert.deepEqual(await page.entries(), shown());
  assert.ok(await page.button("Undo").isEnabled());

  const saved = await page.download("Download");
  assert.equal(saved.name, "edits.gba");
  assert.ok(saved.bytes.subarray(TableAt, TableAt + 22).equals(tableBytes(ids)));
  for (const [first, last] of differences(original, saved.bytes))
    assert.ok(first >= TableAt && last < TableAt + 22, `changed at ${first.toString(16)}`);
});

test("the page as one file, opened from disk, edits and downloads an image and loads nothing beside itself", async () => {
  const address = pathToFileURL(singleFile).href;
  assert.ok(statSync(singleFile).size <= 450 * 1024);
  const page = await browser.page(address);
  const path = syntheticImage("single.gba");
  const original = readFileSync(path);
  await page.open(path);
  await page.edit("Change Move", 0, "Move300");
  const saved = await page.download("Download");
  assert.deepEqual(differences(original, saved.bytes), [[TableAt, TableAt + 1]]);
  assert.deepEqual(page.requests.filter((r) => !r.startsWith("blob:")), [address]);
});

test("a longer table is moved to free space after its question, and the game's pointer follows", async () => {
  const page = await browser.page();
  const path = syntheticImage("moved.gba");
  const original = readFileSync(path);
  await page.open(path);
  await page.edit("Add Move", null, "3");
  const started = page.page.waitForEvent("download");
  await page.button("Download").click();
  const question = await page.answer("Yes");
  const match = question.match(/^The table no longer fits in its place\. It will be written at 0x([0-9A-F]+) and the game's pointer at 0x1A67C/);
  assert.ok(match, question);
  const to = parseInt(match[1], 16);
  assert.equal(await page.answer("OK"), await page.text("Moved", match[1]));
  const bytes = readFileSync(await (await started).path());
  assert.match(await page.page.locator("#game").textContent(), new RegExp(`table at 0x${match[1]}$`));
  assert.ok(bytes.subarray(to, to + 24).equals(tableBytes([...idsOf(path), 3])));
  assert.equal(bytes.readUInt32LE(TableWordAt), 0x08000000 + to);
  for (const [first, last] of differences(original, bytes))
    assert.ok((first >= to && last < to + 24) || (first >= TableWordAt && last < TableWordAt + 4), `changed at ${first.toString(16)}`);
});

test("Save writes only the changed table into the file opened, after the core's checks against it", async () => {
  const page = await browser.page();
  const path = syntheticImage("disk.gba");
  const original = readFileSync(path);
  await page.diskFile("disk.gba", original);
  await page.button("Open ROM").click();
  await page.settled();
  await page.edit("Change Move", 1, 2);
  const leaving = page.page.waitForEvent("dialog");
  await page.page.close({ runBeforeUnload: true });
  const asked = await leaving;
  assert.equal(asked.type(), "beforeunload");
  await asked.dismiss();

  // Another program changes the table meanwhile: the core's question, and "No" keeps that change.
  await page.page.evaluate(() => (window.disk.data[0x250104] = 9));
  await page.button("Save").click();
  assert.equal(await page.answer("No"), await page.text("ChangedOnDisk"));
  assert.equal(await page.answer("OK"), await page.text("NotSaved", "disk.gba", await page.text("ReasonChangeKept")));
  await page.button("Save").click();
  assert.equal(await page.answer("Yes"), await page.text("ChangedOnDisk"));
  assert.equal(await page.answer("OK"), await page.text("Saved"));
  const changed = await page.diskChanges();
  const ids = idsOf(path);
  ids[1] = 2;
  const table = Buffer.from(await page.page.evaluate((at) => Array.from(window.disk.data.subarray(at, at + 22)), TableAt));
  assert.ok(table.equals(tableBytes(ids)));
  assert.deepEqual(changed, [TableAt + 2]);
});

test("a write the browser refuses leaves the edits unsaved, and the next Save writes them", async () => {
  const page = await browser.page();
  await page.diskFile("refused.gba", readFileSync(syntheticImage("refused.gba")));
  await page.button("Open ROM").click();
  await page.settled();
  await page.edit("Change Move", 0, 2);
  await page.page.evaluate(() => (window.disk.fail = true));
  await page.button("Save").click();
  assert.equal(await page.answer("OK"), await page.text("SaveFailed", "refused.gba"));
  assert.deepEqual(await page.diskChanges(), []);
  assert.match(await page.page.title(), /^\*refused\.gba —/);
  // The document's place went back with the file: no question of another program's change.
  await page.page.evaluate(() => (window.disk.fail = false));
  await page.button("Save").click();
  assert.equal(await page.answer("OK"), await page.text("Saved"));
  assert.deepEqual(await page.diskChanges(), [TableAt]);
  assert.match(await page.page.title(), /^refused\.gba —/);
});

test("an image whose table the game does not read: one warning, the title, Save and Download ask; No writes nothing", async () => {
  const page = await browser.page();
  await page.diskFile("unread.gba", readFileSync(syntheticImage("unread.gba", "--unread")));
  await page.button("Open ROM").click();
  await page.settled();
  const reason = await page.text("PathFirstCommandMoved", "0x089A3811", "0x0801D761");
  assert.equal(await page.answer("OK"), await page.text("PathWarning", reason));
  assert.ok(!(await page.page.locator("#dialog").evaluate((d) => d.open)));
  assert.match(await page.page.title(), / — not read by the game — /);
  await page.edit("Change Move", 0, 2);
  let downloads = 0;
  page.page.on("download", () => ++downloads);
  for (const button of ["Save", "Download"]) {
    await page.button(button).click();
    assert.equal(await page.answer("No"), await page.text("WriteUnreadQuestion", reason), button);
    assert.ok(!(await page.page.locator("#dialog").evaluate((d) => d.open)), button);
  }
  assert.equal(downloads, 0);
  assert.deepEqual(await page.diskChanges(), []);
  await page.button("Image Information").click();
  assert.ok((await page.answer("OK")).includes(await page.text("InfoTableNotRead", reason)));
  await page.button("Save").click();
  await page.answer("Yes");
  assert.equal(await page.answer("OK"), await page.text("Saved"));
  assert.deepEqual(await page.diskChanges(), [TableAt]);
});

test("a table imported from text exports back as the same text; bad text changes nothing", async () => {
  const page = await browser.page();
  const path = syntheticImage("import.gba");
  const text = commandLine("--list", syntheticImage("other.gba", "--table", "3,1,200"));
  await page.open(path);
  await page.choose("Import Table", writeScratch("table.txt", text));
  assert.deepEqual(await page.entries(), ["Move3", "Move1", "Move200"]);
  const exported = await page.download("Export Table", "OK");
  assert.equal(exported.name, "import.txt");
  assert.equal(exported.bytes.toString(), text);
  await page.choose("Import Table", writeScratch("bad.txt", "3 Move3\n999\n"));
  assert.equal(await page.answer("OK"), await page.text("ImportRefusedLine", 2, "bad.txt", await page.text("ReasonNotAMove", "999", 354)));
  assert.deepEqual(await page.entries(), ["Move3", "Move1", "Move200"]);
});

test("Image Information gives the command line's CRC32 and SHA-1", async () => {
  const page = await browser.page();
  const path = syntheticImage("info.gba", "--game", "BPEE");
  const info = Object.fromEntries(commandLine("--info", path).trim().split("\n").map((l) => l.split(": ")));
  await page.open(path);
  await page.button("Image Information").click();
  const text = await page.answer("OK");
  assert.match(text, new RegExp(`^CRC32: ${info.crc32}$`, "m"));
  assert.match(text, new RegExp(`^SHA-1: ${info.sha1}$`, "m"));
  assert.match(text, /^Size: 4194304 bytes$/m);
});

test("a patch from the unmodified image, applied, gives the edited image as the page holds it, and no other download", async () => {
  const page = await browser.page();
  const path = syntheticImage("patched.gba");
  await page.open(path);
  await page.edit("Change Move", 3, "Move2");
  const downloads = [];
  page.page.on("download", (download) => downloads.push(download));
  const chooser = page.page.waitForEvent("filechooser");
  await page.button("Create Patch").click();
  const patchDownload = page.page.waitForEvent("download");
  await (await chooser).setFiles(path);
  assert.equal(
    await page.answer("Yes"),
    `${await page.text("PatchNotRelease", "patched.gba")} ${await page.text("PatchAnyway")}`,
  );
  const patch = readFileSync(await (await patchDownload).path());
  assert.equal(await page.answer("OK"), await page.text("PatchWrittenHeld", "patched.bps", patch.length));
  assert.equal(downloads.length, 1);
  const image = await applyBps(readFileSync(path), patch);
  assert.ok(image.subarray(TableAt + 6, TableAt + 8).equals(Buffer.from([2, 0])));
  assert.ok(await page.button("Save").isHidden(), "Save is Download where the file cannot be written");
  assert.match(await page.page.title(), /^\*patched\.gba —/, "the edits stay unsaved");
  const unedited = await browser.page(); // without edits, the patch's message says none
  await unedited.open(path);
  await unedited.choose("Create Patch", path);
  await unedited.answer("Yes");
  assert.match(await unedited.answer("OK"), /^The patch was written to patched\.bps \(\d+ bytes\)\.$/);
});

// The page shows the core's composed texts, and follows the document's editing rules.
test("the page says and does what the window does", async () => {
  const page = await browser.page();
  const path = syntheticImage("voice.gba", "--table", "7,45,7,46");
  await page.open(path);
  const list = page.page.getByRole("listbox", { name: "Sound moves" });
  const move = page.page.getByRole("combobox", { name: "Move" });
  await list.selectOption({ index: 2 });
  assert.equal(await move.inputValue(), "Move7", "the move field follows the selection");
  assert.equal(await list.locator("option").nth(1).getAttribute("title"), "Move 45");
  await page.edit("Change Move", 1, "Move9");
  assert.equal(await list.evaluate((l) => l.selectedIndex), 1, "the edited entry stays selected");
  await move.fill("junk"); // the Delete key needs no move
  await list.focus();
  await page.page.keyboard.press("Delete");
  await page.settled();
  assert.deepEqual(await page.entries(), ["Move7", "Move7", "Move46"]);
  await page.edit("Change Move", 0, "NOTAMOVE");
  assert.equal(await page.answer("OK"), 'no move of this image is named "NOTAMOVE".');
  assert.deepEqual(await page.entries(), ["Move7", "Move7", "Move46"]);
  await page.button("Compare with Game's Table").click();
  assert.match(await page.answer("OK"), /^Added to the game's table: Move7 \(7\) \u00D72\n/);
  await page.button("Image Information").click();
  assert.match(await page.answer("OK"), /^Sound-move table: at the game's own place, 0x250104, 4 entries\.$/m);
  const chooser = page.page.waitForEvent("filechooser");
  await page.button("Import Table").click();
  await (await chooser).setFiles(writeScratch("m.txt", Buffer.from("45\n\xc3\x28tzend\n", "latin1")));
  await page.settled();
  assert.match(await page.answer("OK"), /named "\u00C3\(tzend"\.\n\nThe text is not UTF-8: it was read as Windows-1252\.$/);
  // A file larger than any image is refused before it is read, as the image or a patch's source.
  for (const [id, told] of [["rom-file", "big.gba could not be opened: it is larger than 256 MiB, the largest image this program handles."],
    ["source-file", await page.text("PatchNotWritten", await page.text("ReasonPatchTooLarge"))]]) {
    await page.page.evaluate((id) => {
      const input = document.getElementById(id);
      const big = { name: "big.gba", size: 3 * 2 ** 30, slice: () => { throw new Error("read"); } };
      Object.defineProperty(input, "files", { value: [big], configurable: true });
      input.dispatchEvent(new Event("change"));
    }, id);
    assert.equal(await page.answer("OK"), told, id);
  }
});

// The window's test works through five results and leaves its files and what it showed; the
// page, worked the same way on the same files, shows the same captions and texts.
test("five results in the same words in the window and on the page", async () => {
  const folder = join(scratch, "window");
  const words = windowWords(folder);
  const file = (name) => join(folder, name);
  const page = await browser.page();
  const shown = {};
  for (const [key, image, run] of [
    ["compare", "compare.gba", () => page.button("Compare with Game's Table").click()],
    ["information", "moved.gba", () => page.button("Image Information").click()],
    ["import", "import.gba", () => page.choose("Import Table", file("m.txt"))],
    ["patch", "fr.gba", () => page.choose("Create Patch", file("fr11.gba"))],
  ]) {
    await page.open(file(image));
    await run();
    shown[key] = [await page.shown("OK")];
  }
  // The file as the window opened it (the window's run changed it), then changed "by another program".
  await page.diskFile("disk.gba", readFileSync(file("fr.gba")));
  await page.button("Open ROM").click();
  await page.answer("Yes");
  await page.edit("Change Move", 1, 2);
  await page.page.evaluate((at) => (window.disk.data[at] = 9), TableAt);
  await page.button("Save").click();
  shown.save = [await page.shown("No"), await page.shown("OK")];
  assert.deepEqual(shown, words);
});

test("bad inputs give the window's messages and change nothing; an invalid entry is repaired after asking", async () => {
  const page = await browser.page();
  const path = syntheticImage("good.gba");
  await page.open(path);
  const entries = await page.entries();
  const unsupported = Buffer.from(readFileSync(path));
  unsupported.write("ZZZZ", 0xac, "latin1");
  for (const [name, bytes, row, ...values] of [["empty.gba", Buffer.alloc(0), "NotSupportedShort"],
    ["notes.gba", Buffer.from("not an image\n"), "NotSupportedShort"], ["other.gba", unsupported, "NotSupportedCode", "ZZZZ", 0]]) {
    await page.open(writeScratch(name, bytes));
    const told = `${await page.text("NotSupported")}\n\n${await page.text(row, name, ...values)}`;
    assert.equal(await page.answer("OK"), told, name);
    assert.deepEqual(await page.entries(), entries);
    assert.match(await page.page.locator("#game").textContent(), /good\.gba/);
  }

  const short = readFileSync(path).subarray(0, TableAt + 7);
  await page.open(writeScratch("short.gba", short));
  assert.equal(await page.answer("OK"), await page.text("EndedEarly"));
  assert.equal(await page.entries().then((e) => e.length), 3);
  assert.ok(await page.page.locator("#save").isDisabled());
  assert.ok((await page.download("Download")).bytes.equals(short));

  const invalid = syntheticImage("invalid.gba", "--table", "1,17,999");
  await page.open(invalid);
  assert.equal(await page.answer("Yes"), await page.text("RepairQuestion", 3, 999));
  assert.deepEqual(await page.entries(), ["Move1", "Move17", "Move45"]);
  assert.ok(readFileSync(invalid).subarray(TableAt + 4, TableAt + 6).equals(Buffer.from([0xe7, 0x03])));
});

test("a 16 MiB image opens within 150 ms", async (t) => {
  const page = await browser.page();
  const small = readFileSync(syntheticImage("small.gba"));
  const path = writeScratch("large.gba", Buffer.concat([small, Buffer.alloc(16 * 1024 * 1024 - small.length, 0xff)]));
  const times = [];
  for (let i = 0; i < 7; ++i) {
    await page.page.evaluate(() => delete document.documentElement.dataset.openMs);
    await page.open(path);
    await page.page.waitForFunction(() => document.documentElement.dataset.openMs !== undefined);
    times.push(+(await page.page.evaluate(() => document.documentElement.dataset.openMs)));
  }
  times.sort((a, b) => a - b);
  const median = times[times.length >> 1];
  t.diagnostic(`web: opening a 16 MiB image took ${median} ms (median of ${times.length}: ${times.join(", ")})`);
  assert.ok(median <= 150, `${median} ms`);
});
