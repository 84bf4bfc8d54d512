// The page: a thin view of the core's Document, as the window is. Files the user chooses are
// copied into the module's in-memory file system and handed to the core by path; nothing leaves
// the page but the downloads the user asks for and, where the browser allows it, the table
// written back into the file the user opened.
"use strict";

(() => {
  const $ = (id) => document.getElementById(id);

  const state = {
    core: null,
    doc: null,
    names: [],
    path: "", // the open image in the file system
    name: "", // its name as the user chose it
    handle: null, // the file itself, where the browser lets the page write it
    image: null, // the open image's copy (see putImage)
    serial: 0,
    view: null,
    captions: null, // the message boxes' captions, as the core words them
  };

  // ---- Dialogs: the window's message boxes, as modal dialogs whose buttons are the answers.
  const Buttons = {
    ok: [["ok", "OK"]],
    yesNo: [["yes", "Yes"], ["no", "No"]],
    saveDiscardCancel: [["save", "Save"], ["discard", "Discard"], ["cancel", "Cancel"]],
    saveCancel: [["save", "Save"], ["cancel", "Cancel"]],
  };

  let dialogQueue = Promise.resolve();
  let dialogSerial = 0;
  // Shows text under captionText; resolves with the answer's key. Escape gives the last button's
  // answer (No, Cancel or OK). defaultKey is focused first.
  function ask(text, captionText, buttons = Buttons.ok, defaultKey = null) {
    const shown = dialogQueue.then(
      () =>
        new Promise((resolve) => {
          const dialog = $("dialog");
          const row = $("dialog-buttons");
          const before = document.activeElement;
          $("dialog-caption").textContent = captionText;
          $("dialog-text").textContent = text;
          row.replaceChildren();
          let first = null;
          const finish = (key) => {
            dialog.removeEventListener("cancel", onCancel);
            dialog.close();
            if (before && before.focus && document.contains(before)) before.focus();
            resolve(key);
          };
          const onCancel = (event) => {
            event.preventDefault();
            finish(buttons[buttons.length - 1][0]);
          };
          for (const [key, label] of buttons) {
            const button = document.createElement("button");
            button.type = "button";
            button.textContent = label;
            button.addEventListener("click", () => finish(key));
            row.append(button);
            if (!first || key === defaultKey) first = button;
          }
          dialog.addEventListener("cancel", onCancel);
          dialog.dataset.serial = String(++dialogSerial);
          dialog.showModal();
          first.focus();
        })
    );
    dialogQueue = shown.catch(() => {});
    return shown;
  }
  const tell = (text) => ask(text, state.captions.attention);
  // Asks one of the core's questions ({ text, caption }).
  const pose = (question, ...rest) => ask(question.text, question.caption, ...rest);

  // ---- The file system copy of a chosen file.
  function putFile(folder, name, bytes) {
    const FS = state.core.FS;
    const dir = `/${folder}/${++state.serial}`;
    FS.mkdirTree(dir);
    const path = `${dir}/${name.replace(/\//g, "_") || "image.gba"}`;
    FS.writeFile(path, bytes, { canOwn: true });
    return path;
  }
  function dropFile(path) {
    if (!path) return;
    try {
      state.core.FS.unlink(path);
      state.core.FS.rmdir(path.slice(0, path.lastIndexOf("/")));
    } catch (e) {
      // Already gone: nothing to clean up.
    }
  }
  function download(bytes, name, type = "application/octet-stream") {
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    const link = document.createElement("a");
    link.href = url;
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }
  const baseName = (name) => (name.lastIndexOf(".") > 0 ? name.slice(0, name.lastIndexOf(".")) : name);
  async function sha1Hex(bytes) {
    if (!(window.crypto && crypto.subtle)) return "";
    const digest = new Uint8Array(await crypto.subtle.digest("SHA-1", bytes));
    return Array.from(digest, (b) => b.toString(16).padStart(2, "0")).join("");
  }

  // ---- The view.
  // selected: the entry to select after the list is filled (-1 for none).
  function render(selected = -1) {
    const doc = state.doc;
    const view = doc.state();
    state.view = view;
    const list = $("entries");
    const options = view.entries.map((entry) => {
      const option = document.createElement("option");
      option.textContent = entry.name;
      option.title = doc.moveTooltip(entry.id);
      return option;
    });
    list.replaceChildren(...options);
    list.selectedIndex = selected;

    const editable = view.canEdit;
    list.disabled = !view.open;
    $("move").disabled = !view.open;
    for (const id of ["change", "insert", "delete", "add", "remove-entry", "export", "import", "compare", "restore"])
      $(id).disabled = !editable;
    $("undo").disabled = !view.canUndo;
    $("redo").disabled = !view.canRedo;
    $("save").disabled = !view.canSave;
    // Where the page cannot write the opened file, Save is Download: one button for one action.
    $("save").hidden = !state.handle;
    $("download").disabled = !view.open;
    $("info").disabled = !view.open;
    $("patch").disabled = !view.open;

    $("game").textContent = doc.heading(state.name + (view.modified ? " *" : ""));
    document.title = doc.title(state.name);
  }

  function fillMoves() {
    const list = $("moves");
    list.replaceChildren(
      ...state.names.map((name, i) => {
        const option = document.createElement("option");
        option.value = name;
        option.label = state.doc.moveTooltip(i + 1);
        return option;
      })
    );
    $("move").value = state.names[0] || "";
    $("move").removeAttribute("aria-invalid");
  }

  // The move field follows the selected entry, as the window's drop-down does.
  function followSelection() {
    const move = state.doc.moveIndexOf($("entries").selectedIndex);
    if (move >= 0 && move < state.names.length) {
      $("move").value = state.names[move];
      $("move").removeAttribute("aria-invalid");
    }
  }

  // The move the drop-down names: a move's name (the first of that name), or its number.
  function chosenMove() {
    const typed = $("move").value.trim();
    const folded = typed.toUpperCase();
    let index = state.names.findIndex((name) => name.toUpperCase() === folded);
    if (index < 0 && /^\d+$/.test(typed) && +typed >= 1 && +typed <= state.names.length) index = +typed - 1;
    $("move").setAttribute("aria-invalid", index < 0 ? "true" : "false");
    return index;
  }

  // The edits by the document's rules, as the window's: what each needs, and the entry selected
  // after it. Only an edit that takes a move reads the move field: a typed name or number that is
  // no move is told, in the import's words, and nothing changes.
  async function edit(command) {
    if (!state.view || !state.view.canEdit) return;
    const needsMove = state.doc.editNeedsMove(command);
    const m = needsMove ? chosenMove() : -1;
    const typed = $("move").value.trim();
    if (needsMove && m < 0 && typed) return tell(state.doc.unknownMove(typed));
    const result = state.doc.edit(command, $("entries").selectedIndex, m);
    if (!result.changed) return;
    render(result.selected);
    followSelection();
  }

  // ---- Opening.
  // Before another image takes the place of the open one, as the window asks.
  async function confirmReplace() {
    if (!state.view || !state.view.open) return true;
    if (state.view.modified) {
      const answer = await pose(state.doc.question("saveChanges"), Buttons.saveDiscardCancel);
      if (answer === "save") return save(false);
      return answer === "discard";
    }
    return (await pose(state.doc.question("alreadyOpen"), Buttons.yesNo, "no")) === "yes";
  }

  // The image's copy in the file system, read from the file in pieces as the core asks for them:
  // opening reads a few kilobytes (the header, the game's words, the table, the names), so the
  // table shows without waiting for the whole image, which is read on meanwhile. Every command
  // that uses the file waits for it (see whole()).
  const Piece = 64 * 1024;
  function putImage(file) {
    const FS = state.core.FS;
    const path = putFile("images", file.name, new Uint8Array(0));
    const node = FS.lookupPath(path).node;
    const size = file.size;
    node.contents = new Uint8Array(size);
    node.usedBytes = size;
    const have = new Uint8Array(Math.ceil(size / Piece));
    const image = { path, missing: new Set(), complete: false };
    const read = node.stream_ops.read;
    node.stream_ops = {
      ...node.stream_ops,
      read(stream, buffer, offset, length, position) {
        if (!image.complete) {
          for (let p = Math.floor(position / Piece); p * Piece < Math.min(position + length, size); ++p)
            if (!have[p]) image.missing.add(p);
        }
        return read(stream, buffer, offset, length, position);
      },
    };
    // Reads the pieces the last run of the core missed.
    image.fetch = (pieces) =>
      Promise.all(
        [...pieces].map(async (p) => {
          const bytes = new Uint8Array(await file.slice(p * Piece, Math.min(size, (p + 1) * Piece)).arrayBuffer());
          if (!image.complete) node.contents.set(bytes, p * Piece);
          have[p] = 1;
        })
      );
    // The whole image, once: nothing has been written to the copy before it is there.
    image.whole = () =>
      (image.loaded =
        image.loaded ||
        file.arrayBuffer().then((buffer) => {
          if (!image.complete) node.contents.set(new Uint8Array(buffer));
          image.complete = true;
        }));
    return image;
  }
  // Waits until the open image is read whole.
  const whole = () => (state.image ? state.image.whole() : Promise.resolve());

  // Opens the image with the core until it reads only pieces already read: a run that missed
  // some wrote nothing (every repair is declined) and is run again with them.
  async function openPieces(image, name, repair) {
    if (repair) await image.whole();
    for (;;) {
      image.missing.clear();
      const opened = state.doc.open(image.path, name, repair);
      if (image.missing.size === 0 || image.complete) return opened;
      await image.fetch(image.missing);
    }
  }

  async function openFile(file, handle) {
    // Refused before it is read whole: a file larger than any image the core handles.
    if (file.size > state.view.largestFile) return tell(state.doc.openTooLarge(file.name));
    const started = performance.now();
    const image = putImage(file);
    await image.fetch(file.size > 0 ? [0] : []);
    const path = image.path;
    const doc = state.doc;
    let opened = await openPieces(image, file.name, undefined);
    if (opened.asked.length > 0) {
      // The core declined every repair and wrote nothing: ask about each, then open again.
      const repair = [];
      for (const [i, index] of opened.asked.entries()) {
        const answer = await ask(opened.questions[i], state.captions.attention, Buttons.yesNo);
        if (answer === "yes") repair.push(index);
      }
      if (repair.length) opened = await openPieces(image, file.name, repair);
    }
    if (!opened.supported) {
      dropFile(path);
      const view = doc.state();
      if (!view.open && state.view && state.view.open) {
        state.names = [];
        fillMoves();
      }
      render();
      await tell(opened.refusal);
      return;
    }
    if (state.path !== path) dropFile(state.path);
    state.path = path;
    state.image = image;
    image.whole().catch(() => {});
    state.name = file.name;
    state.handle = handle || null;
    state.names = doc.names();
    fillMoves();
    render();
    document.documentElement.dataset.openMs = (performance.now() - started).toFixed(1);
    for (const report of opened.reports) await tell(report);
    if (opened.pathWarning) await ask(opened.pathWarning, state.captions.warning);
  }

  async function chooseAndOpen() {
    if (!(await confirmReplace())) return;
    if (window.showOpenFilePicker) {
      let handle;
      try {
        [handle] = await window.showOpenFilePicker({ id: "rom" });
      } catch (e) {
        return; // the user closed the picker
      }
      await openFile(await handle.getFile(), handle);
      return;
    }
    $("rom-file").value = "";
    $("rom-file").click();
  }

  // ---- Saving.
  // Runs the core's save, answering its questions through dialogs: each question it had no
  // answer for was declined with nothing written, and the save is run again with the answer.
  // before() runs ahead of each run (to read the file afresh). Resolves with the final status.
  async function runSave(before) {
    const answers = {};
    for (;;) {
      await before();
      const result = state.doc.save(answers);
      const question = result.question;
      if (!question) return result.status;
      const answer = await ask(question.text, state.captions.warning, Buttons.yesNo, "no");
      answers[question.kind] = answer === "yes";
      if (answer !== "yes") {
        // Declined: the core's own answer for it, without asking again.
        return state.doc.save(answers).status;
      }
    }
  }

  const succeeded = (status) => status === "Saved" || status === "Moved" || status === "Grown";

  async function reportSave(status) {
    const text = state.doc.saveReport(status, state.name);
    if (text) await tell(text);
  }

  // Save: into the file itself where the page may write it, otherwise as a download. The file
  // is read afresh before each run of the core's save, so the core's checks see what it holds
  // now; afterwards only the bytes the save changed are written back, in one step.
  async function save(quiet) {
    if (!state.view || !state.view.canSave) return false;
    if (!state.handle) return downloadImage(quiet);
    await whole();
    let disk = null;
    const status = await runSave(async () => {
      disk = new Uint8Array(await (await state.handle.getFile()).arrayBuffer());
      state.core.FS.writeFile(state.path, disk);
    });
    if (succeeded(status)) {
      const now = state.core.FS.readFile(state.path);
      try {
        const writable = await state.handle.createWritable({ keepExistingData: true });
        for (const [start, end] of changedRanges(disk, now))
          await writable.write({ type: "write", position: start, data: now.subarray(start, end) });
        if (now.length !== disk.length) await writable.truncate(now.length);
        await writable.close();
      } catch (e) {
        // Nothing reached the file: the browser writes it whole when closed, or not at all. The
        // copy and the document's place go back to what the file holds, which is no step of
        // the history: the edits count as unsaved.
        state.core.FS.writeFile(state.path, disk);
        state.doc.saveNotKept();
        render();
        await reportSave("WriteFailed");
        return false;
      }
    }
    render();
    if (!quiet || !succeeded(status)) await reportSave(status);
    return succeeded(status);
  }

  function changedRanges(before, after) {
    const ranges = [];
    const length = Math.max(before.length, after.length);
    for (let i = 0; i < length; ++i) {
      if (before[i] === after[i]) continue;
      let end = i + 1;
      while (end < length && before[end] !== after[end]) ++end;
      ranges.push([i, Math.min(end, after.length)]);
      i = end;
    }
    return ranges.filter(([start, end]) => end > start);
  }

  // Download: the table saved into the page's copy by the core's rules, then the whole image
  // under its name. A view-only table is downloaded as the image stands.
  async function downloadImage(quiet) {
    if (!state.view || !state.view.open) return false;
    await whole();
    if (state.view.canSave && state.view.modified) {
      const status = await runSave(async () => {});
      render();
      if (!succeeded(status)) {
        await reportSave(status);
        return false;
      }
      if (!quiet && status !== "Saved") await reportSave(status);
    }
    download(state.core.FS.readFile(state.path), state.name);
    render();
    return true;
  }

  // ---- Commands on the file as it stands.
  async function saveBeforeUse() {
    if (!state.view.modified || !state.view.canSave) return true;
    return (await pose(state.doc.question("saveFirst"), Buttons.saveCancel)) === "save" && save(true);
  }

  async function imageInformation() {
    if (!state.view || !state.view.open) return;
    await whole();
    const sha1 = await sha1Hex(state.core.FS.readFile(state.path));
    const facts = state.doc.facts(sha1, state.name);
    if (facts.replaced) return tell(facts.text);
    await ask(facts.text, state.captions.information);
  }

  async function compareWithGame() {
    if (!state.view.canEdit) return;
    await ask(state.doc.compare().text, state.captions.compare);
  }

  function exportTable() {
    if (!state.view.canEdit) return;
    const name = `${baseName(state.name)}.txt`;
    download(new TextEncoder().encode(state.doc.exportTable()), name, "text/plain;charset=utf-8");
    return tell(state.doc.exported(name));
  }

  async function importTable(file) {
    let bytes;
    try {
      // One byte past the largest text: the core refuses it as too large.
      bytes = new Uint8Array(await file.slice(0, 64 * 1024 + 1).arrayBuffer());
    } catch (e) {
      return tell(state.doc.importReadFailed(file.name));
    }
    const result = state.doc.importTable(bytes, file.name);
    render();
    if (result.report) await tell(result.report);
  }

  // The patch turns the unmodified image into the open one as the page holds it. Where the page
  // cannot write the opened file, its unsaved edits are put into the page's copy for the patch
  // (no question, no download), and taken out again afterwards, so that they stay unsaved.
  async function createPatch(file) {
    if (file.size > state.view.largestFile) return tell(state.doc.patchTooLarge(file.name));
    await whole();
    const bytes = new Uint8Array(await file.arrayBuffer());
    const sha1 = await sha1Hex(bytes);
    const source = putFile("sources", file.name, bytes);
    let held = null;
    try {
      const checked = state.doc.checkPatchSource(source, sha1, file.name);
      if (checked.status !== "Fits") return checked.report && (await tell(checked.report));
      if (checked.notRelease && (await ask(checked.notReleaseQuestion, state.captions.warning, Buttons.yesNo, "no")) !== "yes") return;
      if (!state.handle && state.view.canSave && state.view.modified) {
        held = state.core.FS.readFile(state.path);
        const status = await runSave(async () => {});
        if (!succeeded(status)) return reportSave(status);
      }
      const name = `${baseName(state.name)}.bps`;
      const target = `${source.slice(0, source.lastIndexOf("/"))}/patch.bps`;
      const result = state.doc.createPatch(source, target, file.name, name, held !== null);
      if (result.status === "Written") download(state.core.FS.readFile(target), name);
      dropFile(target);
      if (result.report) await tell(result.report);
    } finally {
      // The page's copy as it was, however the patch ended: a save that failed part-way wrote
      // into it too.
      dropFile(source);
      if (held) {
        state.core.FS.writeFile(state.path, held);
        state.doc.saveNotKept();
      }
      render();
    }
  }

  // ---- Wiring.
  function wire() {
    state.captions = state.doc.captions();
    for (const [id, label] of Object.entries(state.doc.labels())) $(id).textContent = label;

    // One command at a time: a second click while a question is open waits for nothing.
    let busy = false;
    // The page tells whether a command is under way (data-busy), so that a script driving it knows
    // when a command has finished.
    const command = (run) => async (...args) => {
      if (busy) return;
      busy = true;
      document.documentElement.dataset.busy = "true";
      try {
        await run(...args);
      } catch (e) {
        await pose(state.doc.unexpectedError(e && e.message ? e.message : String(e)));
      } finally {
        busy = false;
        delete document.documentElement.dataset.busy;
      }
    };
    const on = (id, run) => $(id).addEventListener("click", command(run));

    on("open", chooseAndOpen);
    $("rom-file").addEventListener("change", command(async () => {
      const file = $("rom-file").files[0];
      if (file) await openFile(file, null);
    }));
    on("save", () => save(false));
    on("download", () => downloadImage(false));
    on("info", imageInformation);
    on("export", exportTable);
    on("import", async () => {
      $("text-file").value = "";
      $("text-file").click();
    });
    $("text-file").addEventListener("change", command(async () => {
      const file = $("text-file").files[0];
      if (file) await importTable(file);
    }));
    on("patch", async () => {
      // Where the page writes the opened file, the patch is of the file as saved.
      if (state.handle && !(await saveBeforeUse())) return;
      $("source-file").value = "";
      $("source-file").title = state.captions.chooseUnmodified;
      $("source-file").click();
    });
    $("source-file").addEventListener("change", command(async () => {
      const file = $("source-file").files[0];
      if (file) await createPatch(file);
    }));
    on("change", () => edit("change"));
    on("insert", () => edit("insert"));
    on("delete", () => edit("delete"));
    on("add", () => edit("append"));
    on("remove-entry", () => edit("remove"));
    $("entries").addEventListener("change", followSelection);
    $("entries").addEventListener("keydown", (event) => {
      if (event.key !== "Delete" || event.ctrlKey || event.altKey || event.metaKey) return;
      event.preventDefault();
      command(() => edit(state.doc.deleteKeyCommand()))();
    });
    on("undo", () => state.doc.undo() && render());
    on("redo", () => state.doc.redo() && render());
    on("compare", compareWithGame);
    on("restore", () => {
      state.doc.restoreGameTable();
      render();
    });

    document.addEventListener("keydown", (event) => {
      if (!(event.ctrlKey || event.metaKey) || event.altKey || $("dialog").open) return;
      // The drop-down's text has its own undo.
      if (event.target === $("move")) return;
      const key = event.key.toLowerCase();
      if (key === "z" && !event.shiftKey) $("undo").click();
      else if (key === "y" || (key === "z" && event.shiftKey)) $("redo").click();
      else return;
      event.preventDefault();
    });

    // Dropping a file anywhere on the page opens it; Chromium also gives the file itself to write.
    document.addEventListener("dragover", (event) => {
      event.preventDefault();
      document.body.classList.add("dragging");
    });
    document.addEventListener("dragleave", () => document.body.classList.remove("dragging"));
    // The drop's file (and its handle) can only be taken while the event lasts; the browser must
    // never open a dropped file in place of the page, even while a command is under way.
    const openDropped = command(async (file, pending) => {
      const handle = pending ? await pending.catch(() => null) : null;
      if (!(await confirmReplace())) return;
      await openFile(file, handle && handle.kind === "file" ? handle : null);
    });
    document.addEventListener("drop", (event) => {
      event.preventDefault();
      document.body.classList.remove("dragging");
      const item = event.dataTransfer.items && event.dataTransfer.items[0];
      const pending = item && item.getAsFileSystemHandle ? item.getAsFileSystemHandle() : null;
      const file = event.dataTransfer.files[0];
      if (file) openDropped(file, pending);
    });

    window.addEventListener("beforeunload", (event) => {
      if (state.view && state.view.modified) {
        event.preventDefault();
        event.returnValue = "";
      }
    });
  }

  // The page as one file carries the module inline, as base64 (zarnithWasm); served, it loads
  // zarnith.wasm beside it.
  const module =
    typeof zarnithWasm === "string"
      ? { wasmBinary: Uint8Array.from(atob(zarnithWasm), (c) => c.charCodeAt(0)) }
      : { locateFile: () => "zarnith.wasm" };
  ZarnithCore(module).then((core) => {
    state.core = core;
    state.doc = new core.Document();
    wire();
    render();
    document.documentElement.dataset.ready = "true";
  });
})();
