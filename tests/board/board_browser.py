#!/usr/bin/python3
"""The board in headless Chromium, as a user meets it: upload validation
files through /submit, land on the result page, find the drive on the
leaderboard and in the chart, search, see a refused file's reason, pick two
results on the leaderboard and compare them. Every page is read at 375 and
1280 px wide and must not scroll sideways. Screenshots go to
build/e2e-artifacts/board-*.png and, per page and width, PAGE-WIDTH.png.

    /usr/bin/python3 tests/board/board_browser.py BUILD_DIR
"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions as EC
from selenium.webdriver.support.ui import WebDriverWait

WAIT = 60  # seconds: a loaded machine is slow, never this slow
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def fail(message):
    print("board_browser: FAILED: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, condition):
    deadline = time.monotonic() + WAIT
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    fail("waited %d s for %s" % (WAIT, what))


def start_board(build, folder):
    log = open(os.path.join(folder, "serve.log"), "w+")
    board = subprocess.Popen(
        [os.path.join(build, "quillmark-results"), "serve", "--db", "sqlite:" + os.path.join(folder, "board.db"),
         "--listen", "127.0.0.1:0", "--max-uploads-per-minute", "0"],
        stdout=subprocess.DEVNULL, stderr=log)

    def address():
        log.seek(0)
        found = re.search(r"serving (http://127\.0\.0\.1:\d+/)", log.read())
        if board.poll() is not None:
            fail("the board ended at start: " + open(log.name).read())
        return found and found.group(1)

    url = wait_for("the board to say where it listens", address)
    wait_for("/healthz to answer", lambda: urllib.request.urlopen(url + "healthz", timeout=10).status == 200)
    return board, log, url


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--no-first-run", "--window-size=1440,1000",
                 "--user-data-dir=" + profile):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_page_load_timeout(WAIT)
    return driver


def shoot(driver, artifacts, name, full_page=True):
    if full_page:
        height = driver.execute_script("return document.documentElement.scrollHeight")
        driver.set_window_size(1440, min(max(height + 140, 700), 4000))
    path = os.path.join(artifacts, "board-%s.png" % name)
    driver.save_screenshot(path)
    driver.set_window_size(1440, 1000)
    print("board_browser: screenshot " + path)


WIDTHS = (375, 1280)

# Elements that reach past the right edge, for the message when a page scrolls sideways.
WIDE_ELEMENTS = """
const limit = document.documentElement.clientWidth;
return Array.from(document.querySelectorAll("body *"))
  .filter(e => e.getBoundingClientRect().right > limit + 0.5)
  .slice(0, 6)
  .map(e => e.tagName.toLowerCase() + (e.className && e.className.baseVal === undefined && e.className
      ? "." + e.className.split(" ").join(".") : "") + " " + Math.round(e.getBoundingClientRect().right) + "px");
"""


def set_width(driver, width, height=900):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": width < 640})


def check_widths(driver, artifacts, name, path_url, problems):
    """The page at each width: no sideways scrolling of the page (else a
    line in problems), and a screenshot of the whole of it."""
    for width in WIDTHS:
        set_width(driver, width)
        driver.get(path_url)
        scroll, client = driver.execute_script(
            "return [document.documentElement.scrollWidth, document.documentElement.clientWidth]")
        height = driver.execute_script("return document.documentElement.scrollHeight")
        set_width(driver, width, min(max(height, 600), 4000))
        # Two frames, so the taller view is painted whole before the shot.
        driver.execute_async_script("requestAnimationFrame(() => requestAnimationFrame(arguments[0]))")
        path = os.path.join(artifacts, "%s-%d.png" % (name, width))
        driver.save_screenshot(path)
        if scroll > client:
            problems.append("%s at %d px is %d px wide (client %d): %s"
                            % (name, width, scroll, client, driver.execute_script(WIDE_ELEMENTS)))
        else:
            print("board_browser: %s fits %d px" % (name, width))
    driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})


def rows_of(driver, url):
    driver.get(url)
    return driver.find_elements(By.CSS_SELECTOR, "table.results tbody tr[id]")


def upload(driver, url, path):
    driver.get(url + "submit")
    driver.find_element(By.ID, "file").send_keys(path)
    driver.find_element(By.ID, "upload").click()


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "native"))
    artifacts = os.path.join(ROOT, "build", "e2e-artifacts")
    os.makedirs(artifacts, exist_ok=True)
    folder = tempfile.mkdtemp(prefix="qm_board_browser_")
    named = os.path.join(folder, "named.verify")
    model = "Samsung SSD 980 PRO 1TB"
    subprocess.run([os.path.join(build, "make_board_file"), named, model, "640", "Intel(R) Core(TM) i7-12700K"],
                   check=True)
    windows = os.path.join(ROOT, "tests", "support", "fixtures", "windows.verify")
    console = os.path.join(ROOT, "tests", "support", "fixtures", "console.verify")
    # One unbroken text as long as the board takes, as model and processor.
    long_model = ("Unbroken" + "0123456789ABCDEF" * 16)[:256]
    long_processor = ("CPU" + "x" * 300)[:256]
    unbroken = os.path.join(folder, "unbroken.verify")
    subprocess.run([os.path.join(build, "make_board_file"), unbroken, long_model, "1900", long_processor],
                   check=True)
    garbage = os.path.join(folder, "garbage.verify")
    with open(garbage, "wb") as out:
        out.write(os.urandom(4100))

    board, log, url = start_board(build, folder)
    driver = browser(os.path.join(folder, "profile"))
    try:
        # The file the Windows build wrote under Wine, the console edition's,
        # and one of unbroken long texts.
        for path in (windows, console, unbroken):
            upload(driver, url, path)
            wait_for("the result page of " + os.path.basename(path), lambda: "/results/" in driver.current_url)
        # A file with a drive model: through /submit onto its result page.
        upload(driver, url, named)
        wait_for("the result page", lambda: re.search(r"/results/\d+\?added", driver.current_url))
        result_url = driver.current_url
        heading = driver.find_element(By.ID, "drive-model").text
        if heading != model:
            fail("the result page shows %r, not the drive %r" % (heading, model))
        if "checked and added" not in driver.find_element(By.ID, "arrival").text:
            fail("no word that the file was added")
        chart = driver.find_element(By.ID, "reference-chart").get_attribute("innerHTML")
        if "This result: " + model not in chart or "WD Black SN850 - 500 GB" not in chart:
            fail("the chart lacks this drive or the references")
        if not driver.find_elements(By.ID, "histogram"):
            fail("no histogram of all results")
        if not re.search(r"Faster than \d+ % of results\.", driver.find_element(By.ID, "percentile").text):
            fail("no 'faster than P %' line")
        shoot(driver, artifacts, "result")

        # The leaderboard: the drive ranked first (fastest), the references marked.
        driver.get(url)
        rows = driver.find_elements(By.CSS_SELECTOR, "table.results tbody tr")
        first = [r for r in rows if "reference" not in (r.get_attribute("class") or "")][0]
        if model not in first.text or not first.text.startswith("1 "):
            fail("the drive is not ranked first: " + first.text)
        references = driver.find_elements(By.CSS_SELECTOR, "tr.reference")
        if len(references) != 7:
            fail("%d reference rows, not 7" % len(references))
        shoot(driver, artifacts, "leaderboard")

        # Search over drive model and processor.
        box = driver.find_element(By.NAME, "q")
        box.send_keys("i7-12700")
        box.submit()
        WebDriverWait(driver, WAIT).until(EC.url_contains("q=i7-12700"))
        rows = driver.find_elements(By.CSS_SELECTOR, "table.results tbody tr")
        if len(rows) != 1 or model not in rows[0].text:
            fail("the search found %d rows: %s" % (len(rows), [r.text for r in rows]))
        shoot(driver, artifacts, "search", full_page=False)

        # A refused file: the reason, on the form.
        upload(driver, url, garbage)
        refusal = WebDriverWait(driver, WAIT).until(EC.presence_of_element_located((By.ID, "refusal"))).text
        if "not accepted" not in refusal:
            fail("no clear refusal: " + refusal)
        shoot(driver, artifacts, "refused", full_page=False)

        driver.get(url + "drives")
        shoot(driver, artifacts, "drives", full_page=False)

        # Two results picked on the leaderboard, compared through the plain form.
        driver.get(url)
        boxes = driver.find_elements(By.CSS_SELECTOR, "table.results input[type=checkbox][name=ids]")
        if len(boxes) != 4:
            fail("%d checkboxes on the leaderboard, not 4" % len(boxes))
        picked = [boxes[0].get_attribute("value"), boxes[2].get_attribute("value")]
        boxes[0].click()
        boxes[2].click()
        driver.find_element(By.ID, "compare-go").click()
        WebDriverWait(driver, WAIT).until(EC.url_contains("/compare?"))
        columns = [c.text for c in driver.find_elements(By.CSS_SELECTOR, "table.compare thead th[id]")]
        if columns != ["Result " + i for i in picked]:
            fail("the comparison shows %s, not results %s" % (columns, picked))
        if not driver.find_elements(By.CSS_SELECTOR, "table.compare tr.differs .mark"):
            fail("no field marked as differing")
        compare_url = driver.current_url

        result_id = re.search(r"/results/(\d+)", result_url).group(1)
        rows = rows_of(driver, url)
        all_ids = [r.get_attribute("id")[len("result-"):] for r in rows]
        long_id = [r.get_attribute("id")[len("result-"):] for r in rows if long_model[:40] in r.text][0]
        pages = [
            ("leaderboard", url),
            ("search", url + "?q=i7-12700"),
            ("drives", url + "drives"),
            ("drive-model", url + "drives/" + long_model),
            ("result", url + "results/" + result_id),
            ("result-unbroken", url + "results/" + long_id),
            ("compare", url + "compare?ids=" + ",".join(all_ids)),
            ("submit", url + "submit"),
            ("delete", url + "results/" + result_id + "/delete"),
            ("not-found", url + "nothing/here"),
        ]
        problems = []
        for name, page_url in pages:
            check_widths(driver, artifacts, name, page_url, problems)
        if problems:
            fail("pages scroll sideways:\n  " + "\n  ".join(problems))
    finally:
        driver.quit()
        board.send_signal(signal.SIGTERM)
        try:
            status = board.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            board.kill()
            fail("the board did not end within %d s of SIGTERM" % WAIT)
    log.seek(0)
    text = log.read()
    if status != 0 or "the database is closed" not in text:
        fail("the board ended with %s after SIGTERM:\n%s" % (status, text[-2000:]))
    if not re.search(r" GET / 200 ", text):
        fail("no request line in the log")
    print("board_browser: passed; the board's log is " + log.name)


if __name__ == "__main__":
    main()
