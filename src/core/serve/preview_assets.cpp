// The style sheet and the script of the browser preview: written here, no framework, nothing
// fetched from elsewhere. The documents work without the script; it only follows links without
// a reload, turns the keyboard and the digit keys into a remote control, rotates sub-pages and
// shows a new generation as soon as the server announces it.
#include "serve/preview_html.h"

namespace tavrel {

// Sizes in cqw are shares of the page's width (a 492-pixel picture: 6-pixel frame, 40 cells of
// 12 x 16), so the text layer stays over the picture at any width. The text layer's letters are
// as high as a cell row, and each row is stretched until the monospace advance (0.6 em) fills a
// 12-pixel cell, so a found word or a selection is marked on the cells that show it; the row's
// own width is shrunk by as much, so the stretched row ends at the picture's edge.
const std::string_view kPreviewStyleSheet = R"css(:root { color-scheme: dark; }
body { margin: 0; background: #000; color: #fff; font: 16px/1.4 "DejaVu Sans", sans-serif; }
main { width: min(984px, calc(100vw - 16px)); margin: 8px auto; }
.header { margin: 0 0 4px; font: 700 1.25rem/1.6 "DejaVu Sans Mono", monospace; color: #ff0; }
.header .position { color: #fff; font-weight: 400; }
.page { position: relative; container-type: inline-size; width: 100%; }
.picture { display: block; width: 100%; height: auto; image-rendering: pixelated; }
.text { position: absolute; left: 1.2195cqw; top: 1.2195cqw; width: 97.561cqw; }
.row { height: 3.252cqw; line-height: 3.252cqw; white-space: pre; overflow: visible;
  font-family: "DejaVu Sans Mono", "Liberation Mono", monospace; font-size: 2.8cqw;
  color: transparent; transform: scaleX(1.452); transform-origin: 0 0; width: 68.87%; }
.row a { color: transparent; text-decoration: none; border-radius: 2px; }
.row a:hover, .row a:focus-visible { outline: 2px solid #fff; background: rgba(255,255,255,.15); }
::selection { background: rgba(80, 140, 255, .55); color: transparent; }
.missing { aspect-ratio: 492 / 380; display: flex; flex-direction: column; align-items: center;
  justify-content: center; border: 1.2195cqw solid #000; background: #000; color: #ff0;
  font-family: "DejaVu Sans Mono", monospace; font-size: 3.2cqw; }
.missing a { color: #0ff; }
.remote { margin-top: 8px; }
.remote a { color: #0ff; }
.remote button, .remote input { font: inherit; background: #222; color: #fff;
  border: 1px solid #666; border-radius: 3px; }
.remote .digits button { min-width: 2.2em; margin: 2px; }
.hold[aria-pressed="true"] { background: #ff0; color: #000; }
.help { color: #aaa; font-size: .85rem; }
.script-only { display: none; }
.scripted .script-only { display: inline-block; }
)css";

const std::string_view kPreviewScript = R"js("use strict";
(() => {
  document.documentElement.classList.add("scripted");
  let screen = document.getElementById("screen");
  let entry = "";
  let held = false;
  let cycleTimer = 0;
  let loading = 0;

  const same = (a) => a && a.origin === location.origin;

  // Fetches a page document and puts its screen in place once its picture is decoded, so the
  // old page stays until the new one can be shown whole.
  async function show(path, how) {
    const ticket = ++loading;
    let text;
    try {
      const response = await fetch(path, { headers: { Accept: "text/html" }, cache: "no-store" });
      text = await response.text();
      // A sub-page that is gone leads to its page: the address shown is where it led.
      path = new URL(response.url).pathname;
    } catch (error) {
      return;
    }
    const doc = new DOMParser().parseFromString(text, "text/html");
    const next = doc.getElementById("screen");
    if (!next || ticket !== loading) return;
    const picture = next.querySelector("img.picture");
    if (picture) {
      const preload = new Image();
      preload.srcset = picture.getAttribute("srcset");
      preload.src = picture.getAttribute("src");
      try { await preload.decode(); } catch (error) { /* shown as the browser can */ }
      if (ticket !== loading) return;
    }
    const adopted = document.adoptNode(next);
    const before = screen.dataset.page;
    screen.replaceWith(adopted);
    screen = adopted;
    document.title = doc.title;
    if (how === "push") history.pushState(null, "", path);
    if (how === "replace") history.replaceState(null, "", path);
    // Choosing another page releases the hold, as on a receiver.
    if (screen.dataset.page !== before) held = false;
    entry = "";
    schedule();
  }

  function go(number) { if (/^[0-9]{3}$/.test(number)) show("/" + number, "push"); }

  function subPages() { return (screen.dataset.subs || "").split(" ").filter((s) => s); }

  function stepSub(step, how) {
    const subs = subPages();
    if (subs.length < 2) return;
    const at = subs.indexOf(screen.dataset.sub);
    const next = subs[(at + step + subs.length) % subs.length];
    show("/" + screen.dataset.page + "/" + next, how);
  }

  // Rotates the sub-pages as a receiver does, unless held.
  function schedule() {
    clearTimeout(cycleTimer);
    const hold = screen.querySelector("button.hold");
    if (hold) hold.setAttribute("aria-pressed", String(held));
    if (held || subPages().length < 2) return;
    cycleTimer = setTimeout(() => stepSub(1, "replace"), Number(screen.dataset.cycle) * 1000);
  }

  function showEntry() {
    const header = screen.querySelector(".header .entry");
    if (header) header.textContent = "P" + (entry + "---").slice(0, 3);
  }

  function digit(d) {
    entry += d;
    showEntry();
    if (entry.length === 3) { const number = entry; entry = ""; go(number); }
  }

  document.addEventListener("click", (event) => {
    const target = event.target;
    if (target.closest("button.hold")) { held = !held; schedule(); return; }
    const key = target.closest("button[data-digit]");
    if (key) { digit(key.dataset.digit); return; }
    const link = target.closest("a");
    if (!same(link) || event.ctrlKey || event.metaKey || event.shiftKey || event.button !== 0) return;
    event.preventDefault();
    show(link.pathname, "push");
  });

  document.addEventListener("submit", (event) => {
    const input = event.target.querySelector("input[name=page]");
    if (!input) return;
    event.preventDefault();
    go(input.value.trim());
  });

  document.addEventListener("keydown", (event) => {
    if (event.ctrlKey || event.altKey || event.metaKey) return;
    if (event.target.closest && event.target.closest("input, textarea")) return;
    const key = event.key;
    const links = (screen.dataset.links || "").split(" ");
    const colour = "RGYC".indexOf(key.toUpperCase());
    if (/^[0-9]$/.test(key)) digit(key);
    else if (key === "ArrowLeft" && screen.dataset.previous) go(screen.dataset.previous);
    else if (key === "ArrowRight" && screen.dataset.next) go(screen.dataset.next);
    else if (key === "ArrowUp") stepSub(1, "push");
    else if (key === "ArrowDown") stepSub(-1, "push");
    else if (key.length === 1 && colour >= 0 && links[colour]) go(links[colour]);
    else if (key.toUpperCase() === "H") { held = !held; schedule(); }
    else return;
    event.preventDefault();
  });

  window.addEventListener("popstate", () => show(location.pathname, "none"));

  // The server announces every new generation; the page on screen is fetched again, with no
  // reload and no flicker. The browser reconnects by itself after a break.
  const events = new EventSource("/events");
  events.addEventListener("generation", (event) => {
    if (event.data !== screen.dataset.generation) show(location.pathname, "none");
  });

  schedule();
})();
)js";

}  // namespace tavrel
