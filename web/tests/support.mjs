// What the page's tests share: the built page served from this machine, Debian's chromium driven
// by playwright-core with a fresh profile, synthetic images from the project's own image maker,
// and the command line's answers to compare with.
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { dirname, extname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";
import { chromium } from "playwright-core";

const root = resolve(dirname(fileURLToPath(import.meta.url)), "../..");
const site = join(root, "build-web");
export const singleFile = join(site, "standalone/zarnith.html");
const host = resolve(root, process.env.ZARNITH_BUILD_DIR || "build");
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };

export const scratch = mkdtempSync(join(tmpdir(), "zarnith-web-"));

// An image made by tools/SyntheticRom with the given options, as a file in the scratch folder.
export function syntheticImage(name, ...options) {
  const path = join(scratch, name);
  execFileSync(join(host, "tools/zarnith_synthetic_rom"), [...options, path]);
  return path;
}
export function writeScratch(name, bytes) {
  const path = join(scratch, name);
  writeFileSync(path, bytes);
  return path;
}
// The command line's "key: value" lines for --info, or its --list text.
export function commandLine(...args) {
  return execFileSync(join(host, "ui/zarnith"), args, { env: { ...process.env, QT_QPA_PLATFORM: "offscreen" } }).toString();
}

// What the window showed for the results its test wordsThePageMustShow works through, by name:
// [caption, text] pairs with the folder taken out of paths; the files it used stay in folder.
export function windowWords(folder) {
  execFileSync(join(host, "tests/ui/WindowTest"), ["wordsThePageMustShow"],
    { env: { ...process.env, QT_QPA_PLATFORM: "offscreen", ZARNITH_SHOWN_WORDS: folder } });
  return JSON.parse(readFileSync(join(folder, "words.json"), "utf8"));
}

export async function startBrowser() {
  const server = createServer((request, response) => {
    const file = join(site, new URL(request.url, "http://localhost").pathname.replace(/\/$/, "/index.html"));
    try {
      const body = readFileSync(file);
      response.writeHead(200, { "Content-Type": types[extname(file)] || "application/octet-stream" });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((done) => server.listen(0, "127.0.0.1", done));
  const profile = mkdtempSync(join(tmpdir(), "zarnith-chromium-"));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.ZARNITH_CHROMIUM || "/usr/bin/chromium",
    headless: true,
    acceptDownloads: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
      "--disable-component-update", "--disable-sync"],
  });
  const url = `http://127.0.0.1:${server.address().port}/`;
  return {
    url,
    // The page at address: the served page, or another (the page as one file, from disk).
    async page(address = url) {
      const page = await context.newPage();
      const requests = [];
      page.setDefaultTimeout(15000);
      // The file picker of browsers without the File System Access API, the one a test can fill;
      // a test may put a picker of its own in its place.
      await page.addInitScript(() =>
        Object.defineProperty(window, "showOpenFilePicker", { value: undefined, writable: true, configurable: true }));
      // Nothing but the page's own files: any other request fails the test that made it.
      page.on("pageerror", (error) => console.error(`page error: ${error.message}`));
      page.on("request", (request) => {
        requests.push(request.url());
        if (!request.url().startsWith(address) && !request.url().startsWith("blob:")) throw new Error(`request to ${request.url()}`);
      });
      await page.goto(address);
      await page.waitForFunction(() => document.documentElement.dataset.ready === "true");
      return new Page(page, requests);
    },
    async close() {
      await context.close();
      server.close();
      rmSync(profile, { recursive: true, force: true });
      rmSync(scratch, { recursive: true, force: true });
    },
  };
}

// The page as a user works it, by the controls' accessible names.
export class Page {
  constructor(page, requests) {
    this.page = page;
    this.requests = requests; // every address the page asked for, in order
  }
  button(name) {
    return this.page.getByRole("button", { name, exact: true });
  }
  async text(row, ...values) {
    return this.page.evaluate(([r, v]) => Text[r].replace(/%(\d)/g, (a, n) => String(v[n - 1])), [row, values]);
  }
  // Chooses path in the picker that clicking name brings up, answering "Yes" to the question
  // before opening another image.
  async choose(name, path) {
    const chooser = this.page.waitForEvent("filechooser");
    await this.button(name).click();
    if (name === "Open ROM" && (await this.page.locator("#game").textContent()) !== "") await this.answer("Yes");
    await (await chooser).setFiles(path);
    await this.settled();
  }
  // Waits until the command under way has finished or asks a question.
  async settled() {
    await this.page.waitForFunction(() => !document.documentElement.dataset.busy || document.getElementById("dialog").open);
  }
  async open(path) {
    await this.choose("Open ROM", path);
  }
  // The open question's text; answering it with the button named answer.
  async answer(answer) {
    return (await this.shown(answer))[1];
  }
  // The open question's caption and text; answering it likewise.
  async shown(answer) {
    const dialog = this.page.getByRole("dialog");
    await dialog.waitFor();
    const shown = [await dialog.locator("h2").textContent(), await dialog.locator("p").textContent()];
    const serial = await dialog.getAttribute("data-serial");
    await dialog.getByRole("button", { name: answer, exact: true }).click();
    await this.page.waitForFunction((s) => {
      const shown = document.getElementById("dialog");
      return !shown.open || shown.dataset.serial !== s;
    }, serial);
    await this.settled();
    return shown;
  }
  async entries() {
    return this.page.getByRole("listbox", { name: "Sound moves" }).locator("option").allTextContents();
  }
  // Selects entry s, chooses move (a name or number) and clicks the button.
  async edit(buttonName, s, move) {
    if (s !== null) await this.page.getByRole("listbox", { name: "Sound moves" }).selectOption({ index: s });
    if (move !== undefined) await this.page.getByRole("combobox", { name: "Move" }).fill(String(move));
    await this.button(buttonName).click();
    await this.settled();
  }
  // Puts the File System Access API's picker in the page, giving a file of bytes under name kept
  // in the page: what is written lands in window.disk.data when the writer closes, or nowhere,
  // refused, while window.disk.fail is set.
  async diskFile(name, bytes) {
    await this.page.route(`**/${name}`, (route) => route.fulfill({ body: bytes }));
    await this.page.evaluate(async (name) => {
      const data = new Uint8Array(await (await fetch(name)).arrayBuffer());
      const file = { data, original: data.slice(), writes: [], fail: false };
      window.disk = file;
      const writable = {
        write: async ({ position, data }) => file.writes.push([position, new Uint8Array(data)]),
        truncate: async () => {},
        close: async () => {
          const writes = file.writes.splice(0);
          if (file.fail) throw new DOMException("The write was refused.", "NotAllowedError");
          writes.forEach(([at, data]) => file.data.set(data, at));
        },
      };
      const handle = { kind: "file", getFile: async () => new File([file.data], name), createWritable: async () => writable };
      window.showOpenFilePicker = async () => [handle];
    }, name);
  }
  // The offsets where the page's file differs from what it held first.
  async diskChanges() {
    return this.page.evaluate(() => {
      const { data, original } = window.disk;
      return [...data.keys()].filter((i) => data[i] !== original[i]);
    });
  }
  // Clicks name and takes the download it starts (answering questions on the way).
  async download(name, ...answers) {
    const started = this.page.waitForEvent("download");
    await this.button(name).click();
    for (const answer of answers) await this.answer(answer);
    const file = await started;
    return { name: file.suggestedFilename(), bytes: readFileSync(await file.path()) };
  }
}

// Applies a BPS patch as the format's description gives it: the target, or null when its sizes
// or CRC32s do not hold.
export async function applyBps(source, patch) {
  const { crc32 } = await import("node:zlib");
  let at = 4;
  const end = patch.length - 12;
  const number = () => {
    let value = 0;
    for (let shift = 1; ; shift *= 128) {
      const byte = patch[at++];
      value += (byte & 0x7f) * shift;
      if (byte & 0x80) return value;
      value += shift * 128;
    }
  };
  if (patch.subarray(0, 4).toString() !== "BPS1") return null;
  const sourceSize = number();
  const target = Buffer.alloc(number());
  const metadata = number(); // read before at moves past it
  at += metadata;
  let out = 0;
  let sourceAt = 0;
  let targetAt = 0;
  while (at < end) {
    const command = number();
    const length = Math.floor(command / 4) + 1;
    const signed = () => {
      const n = number();
      return (n & 1 ? -1 : 1) * Math.floor(n / 2);
    };
    switch (command & 3) {
      case 0: source.copy(target, out, out, out + length); break;
      case 1: patch.copy(target, out, at, at + length); at += length; break;
      case 2: sourceAt += signed(); source.copy(target, out, sourceAt, sourceAt + length); sourceAt += length; break;
      case 3: targetAt += signed(); for (let i = 0; i < length; ++i) target[out + i] = target[targetAt++]; break;
    }
    out += length;
  }
  const word = (o) => patch.readUInt32LE(o);
  if (sourceSize !== source.length || word(end) !== crc32(source) || word(end + 4) !== crc32(target)) return null;
  return target;
}
