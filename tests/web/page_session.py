"""The web page served by scripts/serve on 127.0.0.1 and open in headless Chromium, for the
page's tests and bench/web_cost. Needs Debian's chromium, chromium-driver and python3-selenium
(run with /usr/bin/python3)."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

SERVE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "serve")


class PageSession:
    """The page served and open in headless Chromium, downloads going to a folder of the test's."""

    def __init__(self, site):
        self.server = subprocess.Popen([sys.executable, SERVE, "--port", "0", "--folder", site, "--quiet"],
                                       stdout=subprocess.PIPE, text=True)
        self.address = self.server.stdout.readline().split(" at ")[-1].strip()
        options = webdriver.ChromeOptions()
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1000,1200",
                         "--autoplay-policy=no-user-gesture-required"):
            options.add_argument(argument)
        self.driver = webdriver.Chrome(options=options)
        self.downloads = tempfile.mkdtemp(prefix="velmora-page-")

    def close(self):
        self.driver.quit()
        self.server.terminate()
        self.server.wait(timeout=10)
        self.server.stdout.close()
        shutil.rmtree(self.downloads, ignore_errors=True)

    def element(self, id_):
        return self.driver.find_element(By.ID, id_)

    def wait_for(self, condition, seconds=60):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            value = condition()
            if value:
                return value
            time.sleep(0.02)
        raise AssertionError(f"waited {seconds} s in vain")

    def open(self):
        self.driver.get(self.address)
        self.wait_for(lambda: self.element("status").get_attribute("data-ready"))

    def fill(self, f):
        """Types the fields into the form as a person would."""
        for id_, key in (("message", "message"), ("dot", "dot"), ("frequency", "frequency"), ("volume", "volume"),
                         ("wpm", "wpm"), ("farnsworth", "farnsworth"), ("rise", "rise")):
            field = self.element(id_)
            field.clear()
            if f[key]:
                field.send_keys(f[key])
        for id_, key in (("word-gap", "wordGap"), ("fold-kana", "foldKana"), ("exact-pitch", "exactPitch"),
                         ("punctuation", "punctuation")):
            if self.element(id_).is_selected() != f[key]:
                self.element(id_).send_keys(Keys.SPACE)

    def create(self, seconds=60):
        """Presses 作成!! and waits for the run's outcome."""
        self.driver.execute_script("delete document.getElementById('status').dataset.outcome")
        self.element("create").click()
        return self.wait_for(lambda: self.element("status").get_attribute("data-outcome"), seconds)

    def download(self, id_):
        """Clicks the link and returns the bytes Chromium saves."""
        folder = tempfile.mkdtemp(dir=self.downloads)
        self.driver.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": folder})
        self.element(id_).click()
        name = os.path.join(folder, self.element(id_).get_attribute("download"))
        self.wait_for(lambda: os.path.exists(name) and not any(n.endswith(".crdownload") for n in os.listdir(folder)))
        with open(name, "rb") as f:
            return f.read()
