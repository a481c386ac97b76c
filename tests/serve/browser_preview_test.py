#!/usr/bin/env python3
"""The browser preview in a real browser (Debian's chromium through chromium-driver).

A copy of the sample workspace is sent once to the transmission-server simulator with
'tavrel scan --once'; 'tavrel serve' shows it on a free loopback port. The test opens the first
page, follows a page number and a fastext prompt by clicking them, types three digits, asks for
a page that is not on air, steps pages and sub-pages with the arrow keys, holds the sub-pages,
follows the green link with G, and then changes a title in the feed and runs 'tavrel scan --once'
again: the new title must appear in the open page without a reload. The same links are then
followed with scripts turned off. A screenshot of the page is left in the build folder.

  browser_preview_test.py PROGRAM SOURCE_DIR OUTPUT_DIR
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

OLD_TITLE = "Harbour bridge reopens early"
NEW_TITLE = "Harbour bridge opens at dawn"


def start_simulator(source, folder):
    port_file = os.path.join(folder, "port")
    sim = subprocess.Popen(
        ["/usr/bin/python3", os.path.join(source, "tools/varnex-sim/varnex_sim.py"),
         "--dir", folder, "--port", "0", "--port-file", port_file,
         "--user", "tavrel", "--password", "teletext"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.exists(port_file) and open(port_file).read().strip():
            return sim, int(open(port_file).read())
        time.sleep(0.1)
    sim.kill()
    raise SystemExit("the simulator did not start")


def scan_once(program, home):
    result = subprocess.run([program, "--home", home, "scan", "--once"],
                            capture_output=True, text=True, timeout=60)
    if result.returncode != 0:
        raise SystemExit("scan --once ended with %d:\n%s%s" %
                         (result.returncode, result.stdout, result.stderr))


def start_preview(program, home):
    serve = subprocess.Popen([program, "--home", home, "serve", "--listen", "127.0.0.1:0"],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    line = serve.stdout.readline()
    match = re.search(r"http://127\.0\.0\.1:(\d+)/", line)
    if not match:
        serve.kill()
        raise SystemExit("tavrel serve did not say where it listens: " + line)
    return serve, "http://127.0.0.1:%s" % match.group(1)


def browser(scripts=True):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu",
                     "--window-size=1100,1100", "--force-device-scale-factor=1"):
        options.add_argument(argument)
    if not scripts:
        options.add_experimental_option("prefs", {"profile.managed_default_content_settings.javascript": 2})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def header(driver):
    """The header of the page on screen ("P101"), once the page has come, not while typing."""
    return driver.execute_script(
        "const s = document.getElementById('screen');"
        "return s && s.dataset.page ? 'P' + s.dataset.page : '';")


def text_layer(driver):
    return driver.execute_script(
        "const t = document.querySelector('#screen .text, #screen .missing');"
        "return t ? t.textContent : '';")


def wait_for(driver, condition, what, seconds=10):
    try:
        WebDriverWait(driver, seconds, poll_frequency=0.05).until(lambda d: condition(d))
    except Exception:
        raise SystemExit("timed out waiting for %s (page %s, %s)" %
                         (what, driver.current_url, header(driver)))


def link_named(driver, name, within):
    """The element with role link and the given accessible name inside `within`."""
    for element in driver.find_elements(By.CSS_SELECTOR, within + " a"):
        if element.accessible_name == name and element.aria_role == "link":
            return element
    raise SystemExit("no link named %r in %s of %s" % (name, within, driver.current_url))


def check(condition, message):
    if not condition:
        raise SystemExit(message)


def main():
    program, source, output = sys.argv[1:4]
    work = tempfile.mkdtemp(prefix="tavrel-browser-")
    sim = serve = driver = None
    try:
        home = os.path.join(work, "home")
        shutil.copytree(os.path.join(source, "data/sample"), home)
        sim_dir = os.path.join(work, "varnex")
        os.mkdir(sim_dir)
        sim, port = start_simulator(source, sim_dir)
        settings = os.path.join(home, "tavrel.ini")
        text = open(settings, "rb").read()
        open(settings, "wb").write(re.sub(rb"FTPPort=\d+", b"FTPPort=%d" % port, text))
        scan_once(program, home)
        serve, url = start_preview(program, home)

        driver = browser()
        driver.get(url + "/")
        wait_for(driver, lambda d: header(d) == "P100", "the first page")
        check(OLD_TITLE in text_layer(driver),
              "the first page's text layer lacks the title: " + text_layer(driver))
        # The text layer lies on the picture: the link 101 covers the cells that show 101.
        offset = driver.execute_script("""
            const link = [...document.querySelectorAll('#screen .text .row a')]
                .find((a) => a.textContent === '101');
            const row = link.parentElement;
            const rows = [...row.parentElement.children];
            const column = row.textContent.indexOf('101');
            const picture = document.querySelector('#screen img.picture').getBoundingClientRect();
            const scale = picture.width / 492;
            const box = link.getBoundingClientRect();
            return [(box.left - picture.left) / scale - (6 + column * 12),
                    (box.top - picture.top) / scale - (6 + rows.indexOf(row) * 16),
                    box.width / scale - 36];""")
        check(all(abs(value) < 4 for value in offset),
              "the link 101 is off the cells that show it by %s picture pixels" % offset)
        # A mark that a reload would lose: every step below must keep it.
        driver.execute_script("window.stillTheSameDocument = true;")

        link_named(driver, "101", "#screen .text .row:not(.prompts)").click()
        wait_for(driver, lambda d: header(d) == "P101" and d.current_url == url + "/101",
                 "page 101 after a click on its number")

        link_named(driver, "200", "#screen .prompts").click()
        wait_for(driver, lambda d: header(d) == "P200", "page 200 after a click on Sport")

        ActionChains(driver).send_keys("102").perform()
        wait_for(driver, lambda d: header(d) == "P102" and d.current_url == url + "/102",
                 "page 102 typed as three digits")

        ActionChains(driver).send_keys("899").perform()
        wait_for(driver, lambda d: "Page 899 is not on air." in text_layer(d),
                 "the page search of 899")

        # The remote control: arrows step pages and sub-pages, G follows the green link, Hold
        # stops the rotation of sub-pages.
        ActionChains(driver).send_keys("106").perform()
        wait_for(driver, lambda d: header(d) == "P106", "page 106 typed")
        ActionChains(driver).send_keys(Keys.ARROW_RIGHT).perform()
        wait_for(driver, lambda d: d.current_url == url + "/107", "page 107 by the right arrow")
        driver.find_element(By.CSS_SELECTOR, "#screen button.hold").click()
        wait_for(driver, lambda d: d.find_element(By.CSS_SELECTOR, "#screen button.hold")
                 .get_attribute("aria-pressed") == "true", "Hold pressed")
        ActionChains(driver).send_keys(Keys.ARROW_UP).perform()
        wait_for(driver, lambda d: d.current_url == url + "/107/0002", "sub-page 2 by the up arrow")
        check(driver.find_element(By.CSS_SELECTOR, "#screen button.hold")
              .get_attribute("aria-pressed") == "true", "stepping a sub-page released Hold")
        ActionChains(driver).send_keys("g").perform()
        wait_for(driver, lambda d: header(d) == "P200", "page 200 by the green key")

        ActionChains(driver).send_keys("100").perform()
        wait_for(driver, lambda d: header(d) == "P100", "page 100 again")
        check(driver.execute_script("return window.stillTheSameDocument === true;"),
              "the page was reloaded while following links")

        feed = os.path.join(home, "Feed", "news.xml")
        data = open(feed, "rb").read()
        check(OLD_TITLE.encode() in data, "the sample feed lacks " + OLD_TITLE)
        open(feed, "wb").write(data.replace(OLD_TITLE.encode(), NEW_TITLE.encode()))
        scan_once(program, home)
        published = time.monotonic()
        wait_for(driver, lambda d: NEW_TITLE in text_layer(d), "the new title without a reload")
        seconds = time.monotonic() - published
        check(driver.execute_script("return window.stillTheSameDocument === true;"),
              "the new generation was shown by reloading the page")
        print("new title shown %.2f s after the scan step ended, without a reload" % seconds)
        # The pointer off the links, so the picture shows the page as a reader first sees it.
        ActionChains(driver).move_to_element(
            driver.find_element(By.CSS_SELECTOR, "#screen .header")).perform()
        driver.save_screenshot(os.path.join(output, "serve_browser_preview.png"))
        driver.quit()

        # Without scripts every link is a plain link and the form a plain form.
        driver = browser(scripts=False)
        driver.get(url + "/100")
        link_named(driver, "101", "#screen .text .row:not(.prompts)").click()
        wait_for(driver, lambda d: header(d) == "P101", "page 101 without scripts")
        field = driver.find_element(By.CSS_SELECTOR, "form.keypad input[name=page]")
        field.send_keys("103")
        field.submit()
        wait_for(driver, lambda d: header(d) == "P103" and d.current_url == url + "/103",
                 "page 103 through the form without scripts")
        print("browser preview: links, fastext, digits, page search, live update, no-script: ok")
    finally:
        if driver:
            driver.quit()
        if serve:
            serve.terminate()
            serve.wait(timeout=10)
        if sim:
            sim.terminate()
            sim.wait(timeout=10)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
